# Runs lupdate over the window's sources into copies of the translation
# sources: a copy that changes means a text was added, changed or removed in
# the code without the .ts files being brought up to date.
# -DLUPDATE=... -DSOURCE_DIR=<project> -DWORK_DIR=<scratch directory>
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
foreach(ts corvale_en.ts corvale_ja.ts)
  file(COPY_FILE "${SOURCE_DIR}/translations/${ts}" "${WORK_DIR}/${ts}")
  execute_process(
    COMMAND "${LUPDATE}" -silent -I "${SOURCE_DIR}/src" -locations none -no-obsolete "${SOURCE_DIR}/src/app"
            "${SOURCE_DIR}/src/formats/Formats.cpp" "${SOURCE_DIR}/src/output/ExportService.cpp"
            "${SOURCE_DIR}/src/output/PageAnnotations.cpp"
            "${SOURCE_DIR}/src/output/PageMeasurements.cpp" -ts "${WORK_DIR}/${ts}"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed (${status}):\n${output}")
  endif()
  file(READ "${SOURCE_DIR}/translations/${ts}" committed)
  file(READ "${WORK_DIR}/${ts}" updated)
  if(NOT committed STREQUAL updated)
    execute_process(COMMAND diff -u "${SOURCE_DIR}/translations/${ts}" "${WORK_DIR}/${ts}" OUTPUT_VARIABLE difference)
    message(FATAL_ERROR "translations/${ts} does not match the texts in the code. Run "
      "`cmake --build build --target update_translations`, then translate what is new:\n${difference}")
  endif()
endforeach()
