# The course manual: help/manual.but is compiled into help.hlp by our own WinHelp
# writer (Halibut's WinHelp output has no Cyrillic) and embedded in the library.
set(ETEXTBOOK_HELP_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ETEXTBOOK_HELP_SOURCE ${CMAKE_SOURCE_DIR}/help/manual.but)
set(ETEXTBOOK_HELP_OUT ${CMAKE_BINARY_DIR}/help)

add_executable(etextbook-hlpc
  ${CMAKE_SOURCE_DIR}/help/hlpc.cpp
  ${ETEXTBOOK_HELP_DIR}/HelpSource.cpp
  ${ETEXTBOOK_HELP_DIR}/WinHelpWriter.cpp
  ${ETEXTBOOK_HELP_DIR}/WinHelpFile.cpp
  ${ETEXTBOOK_HELP_DIR}/WinHelpCodec.cpp
  ${ETEXTBOOK_HELP_DIR}/WinHelpPicture.cpp)
target_include_directories(etextbook-hlpc PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(etextbook-hlpc PRIVATE Qt6::Core)
set_target_properties(etextbook-hlpc PROPERTIES AUTOMOC OFF AUTORCC OFF)

add_custom_command(
  OUTPUT ${ETEXTBOOK_HELP_OUT}/help.hlp ${ETEXTBOOK_HELP_OUT}/CourseHelpData.cpp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ETEXTBOOK_HELP_OUT}
  COMMAND etextbook-hlpc ${ETEXTBOOK_HELP_SOURCE} ${ETEXTBOOK_HELP_OUT}/help.hlp ${ETEXTBOOK_HELP_OUT}/CourseHelpData.cpp
  DEPENDS etextbook-hlpc ${ETEXTBOOK_HELP_SOURCE}
  COMMENT "Собирается файл справки help.hlp"
  VERBATIM)
target_sources(etextbook PRIVATE ${ETEXTBOOK_HELP_OUT}/CourseHelpData.cpp)
set_source_files_properties(${ETEXTBOOK_HELP_OUT}/CourseHelpData.cpp PROPERTIES
  GENERATED TRUE SKIP_AUTOMOC ON SKIP_AUTOUIC ON)
