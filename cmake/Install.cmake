# `cmake --install`: the GNU layout under any prefix. kvhost in bin/; the add-in with its two
# private libraries in lib/kavenlor/, where kvhost finds it by default; the pictures and the
# bundled data in share/kavenlor/; the manual page and the bash completion where man and bash
# look for them.
# Folders made by the install are 0755 whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
find_program(SCDOC_EXECUTABLE scdoc REQUIRED) # the manual page's source is scdoc (Debian's scdoc)
find_program(GZIP_EXECUTABLE gzip REQUIRED)

# SOURCE compressed into TARGET as Debian wants its manual pages and changelogs: at the highest
# level, without the name and time stamp, so that two builds give the same bytes.
function(kv_gzip source target)
  add_custom_command(OUTPUT ${target}
    COMMAND sh -c "\"$1\" -9 -n -c \"$2\" > \"$3\"" sh ${GZIP_EXECUTABLE} ${source} ${target}
    DEPENDS ${source}
    VERBATIM)
endfunction()

set(man_source ${PROJECT_SOURCE_DIR}/packaging/linux/kvhost.1.scd)
set(man_page ${CMAKE_BINARY_DIR}/man/kvhost.1)
add_custom_command(OUTPUT ${man_page}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND sh -c "\"$1\" < \"$2\" > \"$3\"" sh ${SCDOC_EXECUTABLE} ${man_source} ${man_page}
  DEPENDS ${man_source}
  COMMENT "Manual page kvhost.1"
  VERBATIM)
kv_gzip(${man_page} ${man_page}.gz)
add_custom_target(man_page ALL DEPENDS ${man_page} ${man_page}.gz)

# The add-in and the two libraries it shares with kvhost, which it finds beside itself.
set_target_properties(kavenlor PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS kavenlor kvplatform xlcall32
  LIBRARY DESTINATION ${KV_INSTALL_ADDINDIR}
  RUNTIME DESTINATION ${KV_INSTALL_ADDINDIR})

file(GLOB pictures ${PROJECT_SOURCE_DIR}/img/*.bmp ${PROJECT_SOURCE_DIR}/img/*.jpg)
install(FILES ${pictures} DESTINATION ${KV_INSTALL_DATADIR}/img)
file(GLOB data_files ${PROJECT_SOURCE_DIR}/data/*.csv)
install(FILES ${data_files} ${PROJECT_SOURCE_DIR}/data/README.md
  DESTINATION ${KV_INSTALL_DATADIR}/data)

install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/kvhost.bash
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME kvhost)
