# Helpers for the files a package installs beside the programs.

find_program(TABULON_GZIP gzip REQUIRED)

# tabulon_gzipped(TARGET SOURCE OUTPUT [DEPENDS...])
# OUTPUT is SOURCE compressed as Debian wants manual pages and changelogs (gzip -9n: no
# name, no time stamp, so that the same source gives the same bytes), made by TARGET,
# which every build runs.
function(tabulon_gzipped target source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${TABULON_GZIP} -9nc ${source} > ${output}
    DEPENDS ${source} ${ARGN}
    COMMENT "Compressing ${source}")
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
