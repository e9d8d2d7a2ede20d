# aquine_exec_argument(path out): a path as one argument of a desktop entry's Exec key, written the
# way the Desktop Entry rules ask (the same rules as aquinepad/companions/desktop_entry.cpp): quoted
# when it holds a reserved character, with a backslash before " ` $ \ inside the quotes, % doubled,
# then every backslash doubled once more for the file's string escapes. Included at install time.
function(aquine_exec_argument path out)
    if(path MATCHES "[\t\n\r]")
        message(FATAL_ERROR "A desktop entry cannot start a program whose path holds a control character: ${path}")
    endif()
    string(REPLACE "%" "%%" value "${path}")
    if(value MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
        string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" value "${value}")
        set(value "\"${value}\"")
    endif()
    string(REPLACE "\\" "\\\\" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()
