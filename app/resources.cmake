# The resource bundle beside the executables: one "<language>.lproj" folder per catalog,
# each holding the compiled catalog "Stowline.qm". Built as part of `all`, so the
# application, the command line tool and the tests always find it. Fonts, logos and
# symbols join the same folder through assets.cmake.
set(STOWLINE_CATALOG_LANGUAGES en pt-BR)

if(TARGET Qt6::lrelease)
  set(STOWLINE_LRELEASE "$<TARGET_FILE:Qt6::lrelease>")
else()
  find_program(STOWLINE_LRELEASE_PROGRAM lrelease HINTS /usr/lib/qt6/bin REQUIRED)
  set(STOWLINE_LRELEASE "${STOWLINE_LRELEASE_PROGRAM}")
endif()

set(STOWLINE_BUNDLE_OUTPUTS)
foreach(language ${STOWLINE_CATALOG_LANGUAGES})
  set(source "${PROJECT_SOURCE_DIR}/resources/i18n/${language}.ts")
  set(folder "${STOWLINE_BUNDLE_DIR}/${language}.lproj")
  set(output "${folder}/Stowline.qm")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${folder}"
    COMMAND "${STOWLINE_LRELEASE}" -silent -nounfinished "${source}" -qm "${output}"
    DEPENDS "${source}"
    COMMENT "Compiling the ${language} catalog"
    VERBATIM)
  list(APPEND STOWLINE_BUNDLE_OUTPUTS "${output}")
endforeach()

add_custom_target(stowline_bundle ALL DEPENDS ${STOWLINE_BUNDLE_OUTPUTS})

install(DIRECTORY "${STOWLINE_BUNDLE_DIR}" DESTINATION share/stowline)
