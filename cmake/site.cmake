# Makes the app folder SITE from the built page PAGE and the files in
# SOURCE (src/site): index.html, the page with app-head.html in its head;
# the manifest, the icons, and the service worker, which carries each
# file's SHA-256 and, as its cache's name, a hash of them all, so that it
# changes whenever any of them does.
# Run as: cmake -DPAGE=... -DSOURCE=... -DSITE=... -P
file(REMOVE_RECURSE ${SITE})
file(COPY ${SOURCE}/manifest.webmanifest ${SOURCE}/icon-180.png
  ${SOURCE}/icon-192.png ${SOURCE}/icon-512.png DESTINATION ${SITE})
file(READ ${PAGE} page)
file(READ ${SOURCE}/app-head.html app_head)
# The head goes in as it is, where the page's marker stands, once.
set(marker "<!-- The app's head goes here: the page alone asks for nothing. -->\n")
string(FIND "${page}" "${marker}" at)
string(FIND "${page}" "${marker}" last REVERSE)
if(at EQUAL -1 OR NOT at EQUAL last)
  message(FATAL_ERROR "site.cmake: the page must hold the app head's marker once: ${marker}")
endif()
string(REPLACE "${marker}" "${app_head}" page "${page}")
file(WRITE ${SITE}/index.html "${page}")
file(GLOB files RELATIVE ${SITE} ${SITE}/*)
list(SORT files)
set(SITE_FILES "")
foreach(name IN LISTS files)
  file(SHA256 ${SITE}/${name} hash)
  string(APPEND SITE_FILES "\n  '${name}': '${hash}',")
endforeach()
string(SHA256 SITE_HASH "${SITE_FILES}")
string(SUBSTRING ${SITE_HASH} 0 16 SITE_HASH)
configure_file(${SOURCE}/sw.js.in ${SITE}/sw.js @ONLY)
