# Writes a fresh database file with calvora-newdb when none exists yet.
if(NOT EXISTS "${DATABASE}")
    execute_process(COMMAND "${NEWDB}" "${DATABASE}" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "Could not create ${DATABASE}")
    endif()
endif()
