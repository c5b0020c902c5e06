# The build's own scripts, run in a private folder on inputs of this test's:
# cmake/site.cmake puts the app's head into the page as it is written,
# backslashes and all, where the page's marker stands once, and stops the
# build otherwise; and the manual pages are dated by the trailer of
# debian/changelog's top entry, with a day of one digit or two, or the
# configure stops with one line.
# Run as: cmake -DSOURCE=<the source tree> -P build_scripts_test.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND mktemp -d OUTPUT_VARIABLE tmp OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
set(failures "")

# The app's head, and the marker as the page has it.
file(STRINGS ${SOURCE}/src/web-page.html marker REGEX "^<!-- The app's head" LIMIT_COUNT 1)
file(COPY ${SOURCE}/src/site/ DESTINATION ${tmp}/site-source)
set(head "<script>/\\d\\1/.test(location.search)</script>\n")
file(WRITE ${tmp}/site-source/app-head.html "${head}")
foreach(markers 1 2 0)
  string(REPEAT "${marker}\n" ${markers} page)
  file(WRITE ${tmp}/page.html "<head>\n${page}<title>")
  execute_process(COMMAND ${CMAKE_COMMAND} -DPAGE=${tmp}/page.html -DSOURCE=${tmp}/site-source
    -DSITE=${tmp}/site -P ${SOURCE}/cmake/site.cmake RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(NOT markers EQUAL 1)
    if(NOT error MATCHES "the page must hold the app head's marker once")
      list(APPEND failures "${markers} markers: ${error}")
    endif()
  elseif(failed)
    list(APPEND failures "one marker: ${error}")
  else()
    file(READ ${tmp}/site/index.html index)
    file(SHA256 ${tmp}/site/index.html hash)
    file(READ ${tmp}/site/sw.js worker)
    string(FIND "${worker}" "'index.html': '${hash}'" named)
    if(NOT index STREQUAL "<head>\n${head}<title>" OR named EQUAL -1)
      list(APPEND failures "one marker: ${index}")
    endif()
  endif()
endforeach()

# The manual pages' date, configured from a copy of the tree.
file(COPY ${SOURCE}/CMakeLists.txt ${SOURCE}/src ${SOURCE}/doc ${SOURCE}/debian DESTINATION ${tmp}/tree)
file(READ ${SOURCE}/debian/changelog changelog)
foreach(row "Fri, 1 Jan 2027 10:00:00 +0100=2027-01-01" "Mon, 09 Feb 2026 23:59:59 -0500=2026-02-09"
    "Sun, 13 Dec 2026 00:00:00 +0000=2026-12-13" "1 Dec 2026=")
  string(REGEX MATCH "^(.*)=(.*)$" row "${row}")
  set(expected "${CMAKE_MATCH_2}")
  string(REGEX REPLACE "\n -- ([^\n]*>)  [^\n]*" "\n -- \\1  ${CMAKE_MATCH_1}" trailer "${changelog}")
  file(WRITE ${tmp}/tree/debian/changelog "${trailer}")
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${tmp}/tree -B ${tmp}/tree/build -DBUILD_TESTING=OFF
    RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE error)
  set(th "")
  if(NOT failed)
    file(STRINGS ${tmp}/tree/build/qcode-quiz.6 th REGEX "^\\.TH" LIMIT_COUNT 1)
  endif()
  if(expected AND NOT th MATCHES "^\\.TH QCODE-QUIZ 6 ${expected} ")
    list(APPEND failures "${row}: ${th}${error}")
  elseif(NOT expected AND NOT error MATCHES "debian/changelog: no date in the top entry's trailer")
    list(APPEND failures "${row}: ${error}")
  endif()
endforeach()

file(REMOVE_RECURSE ${tmp})
if(failures)
  list(JOIN failures "\n" failures)
  message(FATAL_ERROR "${failures}")
endif()
