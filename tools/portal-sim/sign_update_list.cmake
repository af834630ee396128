# Writes the update tree's list with the size and SHA-256 of every file it names, as they
# are served, and signs it with minisign, so the list is never out of step with its files.
#   cmake -DFILES_DIR=<update/files> -DURL=<base URL> -DSERIAL=<n> -DMINISIGN=<tool>
#         -DSECRET_KEY=<key file> -P sign_update_list.cmake
# The entries: name (with "/" between folders) and version.
set(entries "html/loading.html=1.1" "html/Playloading.html=1.0")

set(xml "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<UpdateList Serial=\"${SERIAL}\">\n")
string(APPEND xml "  <Url>${URL}</Url>\n  <Files>\n")
foreach(entry ${entries})
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 name)
    list(GET parts 1 version)
    if(NOT EXISTS "${FILES_DIR}/${name}")
        message(FATAL_ERROR "the update tree has no ${name}")
    endif()
    file(SIZE "${FILES_DIR}/${name}" size)
    file(SHA256 "${FILES_DIR}/${name}" digest)
    string(REPLACE "/" "\\" listed "${name}")
    string(APPEND xml "    <File Name=\"${listed}\" Ver=\"${version}\" Size=\"${size}\" Sha256=\"${digest}\"/>\n")
endforeach()
string(APPEND xml "  </Files>\n  <RunApp>Pallomar.exe</RunApp>\n</UpdateList>\n")
file(WRITE "${FILES_DIR}/UpdList.xml" "${xml}")

execute_process(
    COMMAND "${MINISIGN}" -S -s "${SECRET_KEY}" -m "${FILES_DIR}/UpdList.xml" -x "${FILES_DIR}/UpdList.xml.minisig"
        -t "update list of the local portal server, signed with the test key"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "minisign could not sign the update list")
endif()
