# sparkletide_add_packages(TARGET DESTINATION <install folder> PACKAGES <folder> <name> ...)
# Packs and signs each effect folder (below the current source folder) with
# the demo key into <name>.zip in the build tree, and installs the packages
# into <install folder> of the program folder.
set(SPARKLETIDE_PACKAGE_KEY "${PROJECT_SOURCE_DIR}/resources/keys/demo-private-key.pem"
    CACHE FILEPATH "Private key that signs the packages shipped with the program")

function(sparkletide_add_packages target)
  cmake_parse_arguments(P "" "DESTINATION" "PACKAGES" ${ARGN})
  set(outputs)
  list(LENGTH P_PACKAGES count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET P_PACKAGES ${i} folder)
    list(GET P_PACKAGES ${j} name)
    set(source "${CMAKE_CURRENT_SOURCE_DIR}/${folder}")
    set(out "${CMAKE_CURRENT_BINARY_DIR}/${name}.zip")
    file(GLOB_RECURSE files CONFIGURE_DEPENDS "${source}/*")
    add_custom_command(OUTPUT "${out}"
      COMMAND sparkletide-pack "${source}" "${out}" --key "${SPARKLETIDE_PACKAGE_KEY}" > /dev/null
      DEPENDS sparkletide-pack ${files} "${SPARKLETIDE_PACKAGE_KEY}"
      COMMENT "Packing ${folder} into ${name}.zip"
      VERBATIM)
    list(APPEND outputs "${out}")
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${outputs})
  install(FILES ${outputs} DESTINATION "${P_DESTINATION}")
endfunction()
