# Copies the fonts, logos and symbols into the resource bundle as part of `all`.
# Each file is a dependency of its copy, so an edited asset is copied again.
set(STOWLINE_ASSET_OUTPUTS "")
foreach(pair "fonts;Fonts" "brand;Brand" "symbols;Symbols")
  list(GET pair 0 source_folder)
  list(GET pair 1 bundle_folder)
  file(GLOB asset_files CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/resources/${source_folder}/*")
  foreach(asset ${asset_files})
    get_filename_component(asset_name "${asset}" NAME)
    set(output "${STOWLINE_BUNDLE_DIR}/${bundle_folder}/${asset_name}")
    add_custom_command(OUTPUT "${output}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${STOWLINE_BUNDLE_DIR}/${bundle_folder}"
      COMMAND ${CMAKE_COMMAND} -E copy_if_different "${asset}" "${output}"
      DEPENDS "${asset}"
      COMMENT "Bundling ${bundle_folder}/${asset_name}"
      VERBATIM)
    list(APPEND STOWLINE_ASSET_OUTPUTS "${output}")
  endforeach()
endforeach()
add_custom_target(StowlineAssets ALL DEPENDS ${STOWLINE_ASSET_OUTPUTS})
