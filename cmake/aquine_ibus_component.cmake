# aquine_ibus_component(template program icon out): writes the input method's IBus component file for
# a program at `program`. ibus-daemon splits the exec line the way a shell would (g_shell_parse_argv),
# so the path goes in single quotes, and the file is XML, so & < > " are escaped after that. Used at
# configure time for the build tree and at install time for the installed copy.
function(aquine_ibus_component template program icon out)
    if(program MATCHES "[\t\n\r]")
        message(FATAL_ERROR "IBus cannot start a program whose path holds a control character: ${program}")
    endif()
    string(REPLACE "'" "'\\''" quoted "${program}")
    set(quoted "'${quoted}'")
    foreach(value quoted icon)
        string(REPLACE "&" "&amp;" ${value} "${${value}}")
        string(REPLACE "<" "&lt;" ${value} "${${value}}")
        string(REPLACE ">" "&gt;" ${value} "${${value}}")
        string(REPLACE "\"" "&quot;" ${value} "${${value}}")
    endforeach()
    set(IMVARA_IBUS_EXEC "${quoted}")
    set(IMVARA_IBUS_ICON "${icon}")
    configure_file("${template}" "${out}" @ONLY)
endfunction()
