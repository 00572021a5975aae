# Delay-loaded system libraries: a library named here is loaded at the first call
# of one of its functions instead of at the program's start. Start-up then loads
# only what showing the skin window needs.
#
# Each list names the library and the functions the programs use from it. A
# function used but not listed would still be imported the ordinary way and load
# its library at start: tests/imports/check_imports.sh --delayed catches that.

set(PELTO_DELAY_COMCTL32 COMCTL32.dll
    ImageList_Create ImageList_Destroy ImageList_Draw ImageList_GetIcon ImageList_GetImageCount ImageList_ReplaceIcon InitCommonControls)
set(PELTO_DELAY_COMDLG32 comdlg32.dll GetOpenFileNameA)
set(PELTO_DELAY_OLE32 ole32.dll CoCreateInstance CoInitialize CoUninitialize)
set(PELTO_DELAY_SHELL32 SHELL32.dll
    DragFinish DragQueryFileA SHFileOperationA SHGetFileInfoA SHGetSpecialFolderPathA ShellExecuteA
    Shell_NotifyIconA)

find_program(PELTO_DLLTOOL NAMES ${PELTO_TRIPLET}-dlltool REQUIRED)

# pelto_delay_library(<OUT-VAR> <NAME>): builds lib<name>_delay.a from the list
# PELTO_DELAY_<NAME> and sets OUT-VAR to its path.
function(pelto_delay_library out name)
    set(spec ${PELTO_DELAY_${name}})
    list(POP_FRONT spec dll)
    set(def "LIBRARY \"${dll}\"\nEXPORTS\n")
    foreach(fn IN LISTS spec)
        string(APPEND def "    ${fn}\n")
    endforeach()
    string(TOLOWER ${name} lower)
    set(def_file ${CMAKE_BINARY_DIR}/delay/${lower}.def)
    set(lib_file ${CMAKE_BINARY_DIR}/delay/lib${lower}_delay.a)
    file(WRITE ${def_file}.in "${def}")
    configure_file(${def_file}.in ${def_file} COPYONLY)
    add_custom_command(OUTPUT ${lib_file}
        COMMAND ${PELTO_DLLTOOL} --input-def ${def_file} --dllname ${dll} --output-delaylib ${lib_file}
        DEPENDS ${def_file} VERBATIM)
    add_custom_target(delay_${lower} DEPENDS ${lib_file})
    set(${out} ${lib_file} PARENT_SCOPE)
endfunction()

# pelto_delay_imports(<target> <NAME>...): links target against the delay-load
# libraries of the named system libraries (ahead of the ordinary ones).
#
# 64-bit only. The 32-bit delay-load libraries of binutils 2.40's dlltool do not
# work: the linked program's import slot holds 0 instead of the loading stub, so
# the first call jumps to address 0 (seen under Wine). The 32-bit build links the
# ordinary import libraries instead.
function(pelto_delay_imports target)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        foreach(name IN LISTS ARGN)
            string(TOLOWER ${name} lower)
            target_link_libraries(${target} PRIVATE ${lower})
        endforeach()
        return()
    endif()
    foreach(name IN LISTS ARGN)
        string(TOLOWER ${name} lower)
        if(NOT TARGET delay_${lower})
            pelto_delay_library(lib ${name})
        else()
            set(lib ${CMAKE_BINARY_DIR}/delay/lib${lower}_delay.a)
        endif()
        add_dependencies(${target} delay_${lower})
        target_link_libraries(${target} PRIVATE ${lib})
    endforeach()
endfunction()
