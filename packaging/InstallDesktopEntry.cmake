# Runs at install time, when the prefix is known: writes the desktop entry with the
# launcher's full installed path in Exec, so that the desktop starts the program even
# where the prefix's bin folder is not on PATH (as ~/.local/bin is not in a session
# begun before the first install). DESTDIR is left to file(INSTALL), so a staged
# install (the .deb) names the path the package will have on the user's machine.
#
# Set by the caller: TINEVOX_DESKTOP_TEMPLATE, TINEVOX_DESKTOP_WORK (a scratch file),
# TINEVOX_INSTALL_BINDIR and TINEVOX_INSTALL_APPLICATIONS_DIR (relative to the prefix
# or absolute).

# A relative prefix is taken from the folder the install runs in, as the files are.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
cmake_path(ABSOLUTE_PATH TINEVOX_INSTALL_BINDIR BASE_DIRECTORY "${prefix}" NORMALIZE OUTPUT_VARIABLE launcher_dir)
cmake_path(APPEND launcher_dir tinevox OUTPUT_VARIABLE launcher)

# The Exec key takes a command line: a path with a space or another reserved character
# goes in double quotes, with ", `, $ and \ escaped inside; a literal % is doubled. The
# desktop file format then escapes every backslash once more.
set(exec "${launcher}")
string(REPLACE "%" "%%" exec "${exec}")
if(exec MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`[]")
    string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${exec}")
    set(exec "\"${exec}\"")
endif()
string(REPLACE "\\" "\\\\" TINEVOX_DESKTOP_EXEC "${exec}")

configure_file("${TINEVOX_DESKTOP_TEMPLATE}" "${TINEVOX_DESKTOP_WORK}/tinevox.desktop" @ONLY)
cmake_path(ABSOLUTE_PATH TINEVOX_INSTALL_APPLICATIONS_DIR BASE_DIRECTORY "${prefix}" NORMALIZE
           OUTPUT_VARIABLE applications_dir)
file(INSTALL DESTINATION "${applications_dir}" TYPE FILE FILES "${TINEVOX_DESKTOP_WORK}/tinevox.desktop")
