# The generated ProgramInfo.h and the header-only target that carries it.
file(READ "${CORVALE_LICENSE_FILE}" CORVALE_LICENSE_TEXT)
file(READ "${PROJECT_SOURCE_DIR}/samples/README.md" CORVALE_SAMPLES_NOTES)
foreach(text IN ITEMS CORVALE_LICENSE_TEXT CORVALE_SAMPLES_NOTES)
  string(FIND "${${text}}" ")corvale_text" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${text} holds the raw string delimiter of ProgramInfo.h.in")
  endif()
endforeach()
set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  "${CORVALE_LICENSE_FILE}" "${PROJECT_SOURCE_DIR}/samples/README.md")
configure_file("${CMAKE_CURRENT_LIST_DIR}/ProgramInfo.h.in" "${PROJECT_BINARY_DIR}/generated/ProgramInfo.h" @ONLY)

add_library(corvale_programinfo INTERFACE)
target_include_directories(corvale_programinfo INTERFACE "${PROJECT_BINARY_DIR}/generated")
