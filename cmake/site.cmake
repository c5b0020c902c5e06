# Makes the app folder SITE from the built page PAGE and the files in
# SOURCE (src/site): index.html, the page with app-head.html in its head;
# the manifest, the icons, and the service worker, whose cache name is a
# hash of all the others, so that it changes whenever any of them does.
# Run as: cmake -DPAGE=... -DSOURCE=... -DSITE=... -P
file(REMOVE_RECURSE ${SITE})
file(COPY ${SOURCE}/manifest.webmanifest ${SOURCE}/icon-180.png
  ${SOURCE}/icon-192.png ${SOURCE}/icon-512.png DESTINATION ${SITE})
file(READ ${PAGE} page)
file(READ ${SOURCE}/app-head.html app_head)
string(REGEX REPLACE "<!-- The app's head[^>]*-->\n" "${app_head}" page "${page}")
file(WRITE ${SITE}/index.html "${page}")
file(GLOB files RELATIVE ${SITE} ${SITE}/*)
list(SORT files)
set(hashes "")
foreach(name IN LISTS files)
  file(SHA256 ${SITE}/${name} hash)
  string(APPEND hashes "${hash} ${name}\n")
endforeach()
string(SHA256 SITE_HASH "${hashes}")
string(SUBSTRING ${SITE_HASH} 0 16 SITE_HASH)
list(TRANSFORM files PREPEND "'")
list(TRANSFORM files APPEND "'")
list(JOIN files ", " SITE_FILES)
configure_file(${SOURCE}/sw.js.in ${SITE}/sw.js @ONLY)
