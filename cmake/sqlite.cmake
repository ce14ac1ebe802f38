# SQLite for the record manager: the system's library on POSIX; for the
# Windows cross-build, Debian packages none, so the amalgamation is made from
# Debian's sqlite3 source package inside the build tree and built here.
add_library(exptypes_sqlite INTERFACE)
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(EXPTYPES_SQLITE_DIR ${CMAKE_BINARY_DIR}/sqlite)
  if(NOT EXISTS ${EXPTYPES_SQLITE_DIR}/sqlite3.c OR NOT EXISTS ${EXPTYPES_SQLITE_DIR}/sqlite3.h)
    message(STATUS "Making the SQLite amalgamation in ${EXPTYPES_SQLITE_DIR}")
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/sqlite-amalgamation.sh ${EXPTYPES_SQLITE_DIR}
                    RESULT_VARIABLE sqlite_result)
    if(NOT sqlite_result EQUAL 0)
      message(FATAL_ERROR "Could not make the SQLite amalgamation (see the output above)")
    endif()
  endif()
  add_library(sqlite3_win STATIC ${EXPTYPES_SQLITE_DIR}/sqlite3.c)
  target_include_directories(sqlite3_win SYSTEM PUBLIC ${EXPTYPES_SQLITE_DIR})
  target_compile_definitions(sqlite3_win PRIVATE SQLITE_THREADSAFE=1 SQLITE_OMIT_LOAD_EXTENSION SQLITE_DQS=0)
  # Not our code: its warnings are SQLite's business.
  target_compile_options(sqlite3_win PRIVATE -w)
  target_link_libraries(exptypes_sqlite INTERFACE sqlite3_win)
else()
  find_package(SQLite3 REQUIRED)
  target_link_libraries(exptypes_sqlite INTERFACE SQLite::SQLite3)
endif()
