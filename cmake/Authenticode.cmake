# bb7_authenticode_sign(file), for scripts run with cmake -P: signs the file in place with an
# Authenticode signature over SHA-256 digests, which osslsigncode appends after everything the
# file holds, and a time stamp when a server is named. OSSLSIGNCODE, PKCS12, PASSWORD_FILE and
# TIMESTAMP_URL (may be empty) name the tool, the certificate, its password's file and the
# server. osslsigncode reads the password from its file itself, so that it never shows in a
# process list. A file that cannot be signed is deleted, so that the next build makes it and
# signs it again rather than taking the unsigned file for done.
function(bb7_authenticode_sign file)
    set(timestamp "")
    if(TIMESTAMP_URL)
        set(timestamp -ts ${TIMESTAMP_URL})
    endif()
    set(signed ${file}.signed)
    file(REMOVE ${signed})
    execute_process(
        COMMAND ${OSSLSIGNCODE} sign -pkcs12 ${PKCS12} -readpass ${PASSWORD_FILE} -h sha256
                -n "Brisel Backup 7" ${timestamp} -in ${file} -out ${signed}
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0 OR NOT EXISTS ${signed})
        file(REMOVE ${file} ${signed})
        message(FATAL_ERROR "Could not sign ${file}:\n${output}")
    endif()
    file(RENAME ${signed} ${file})
endfunction()
