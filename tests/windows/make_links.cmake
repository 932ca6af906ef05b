# Lays out links for the Windows tests in DIR, as a POSIX system's symbolic links, which
# Wine shows to Windows programs as links (its own calls for making links make none).
# Only links to folders: Wine shows a link to a file as the file itself, and deleting it
# deletes its target, which no Windows program can tell or prevent there.
#   outside/keep.txt                  must survive every removal
#   to-outside, to-windows            links to a folder, and to the Windows folder
#   <unit>-install/...                product folders with links to outside in them
file(REMOVE_RECURSE "${DIR}")
file(WRITE "${DIR}/outside/keep.txt" "outside data")
file(CREATE_LINK "outside" "${DIR}/to-outside" SYMBOLIC)
file(CREATE_LINK "${PREFIX}/drive_c/windows" "${DIR}/to-windows" SYMBOLIC)
foreach(unit platform setup)
  file(WRITE "${DIR}/${unit}-install/data/book.idx" "idx")
  file(CREATE_LINK "../outside" "${DIR}/${unit}-install/to-outside" SYMBOLIC)
  file(CREATE_LINK "../../outside" "${DIR}/${unit}-install/data/also-outside" SYMBOLIC)
endforeach()
