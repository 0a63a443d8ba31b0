# After cpack: drops the folder entry ./opt/ from each package's data. dpkg would otherwise count
# /opt as the package's own and remove it with the package when nothing else is left in it.
# The data is written again from its own list of members, in their order, less that one.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  set(work ${deb}.parts)
  file(REMOVE_RECURSE ${work})
  file(MAKE_DIRECTORY ${work}/data)
  execute_process(COMMAND ar x ${deb} WORKING_DIRECTORY ${work} COMMAND_ERROR_IS_FATAL ANY)
  file(GLOB control RELATIVE ${work} ${work}/control.tar.*)
  execute_process(COMMAND tar -xpzf ../data.tar.gz WORKING_DIRECTORY ${work}/data COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND tar -tzf data.tar.gz WORKING_DIRECTORY ${work} OUTPUT_VARIABLE members COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE "(^|\n)\\./opt/\n" "\\1" members "${members}")
  file(WRITE ${work}/members "${members}")
  execute_process(COMMAND tar -czf ../data.tar.gz --no-recursion --owner=0 --group=0 --numeric-owner -T ../members
    WORKING_DIRECTORY ${work}/data COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${deb})
  execute_process(COMMAND ar rcD ${deb} debian-binary ${control} data.tar.gz WORKING_DIRECTORY ${work} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${work})
endforeach()
