# Writes the page's service worker (web/service-worker.js.in) into the build folder, run by
# cmake -P on every build of the browser version, once the game is linked, with FOLDER, TEMPLATE
# and FILES (a ;-list of paths inside FOLDER). The cache name is the first 16 hex digits of a SHA-256 over the files'
# own hashes: the same build gives the same name, any change in any file a new one.
set(hashes "")
set(quoted "")
foreach(file IN LISTS FILES)
  file(SHA256 ${FOLDER}/${file} hash)
  string(APPEND hashes "${hash} ${file}\n")
  list(APPEND quoted "'${file}'")
endforeach()
string(SHA256 digest "${hashes}")
string(SUBSTRING ${digest} 0 16 digest)
set(SPRAYWICK_CACHE spraywick-${digest})
list(JOIN quoted ", " SPRAYWICK_FILES)
configure_file(${TEMPLATE} ${FOLDER}/service-worker.js @ONLY)
