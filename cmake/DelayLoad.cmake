# Libraries that Windows does not always map from its own directory are
# looked for beside the executable first when they are static imports, and
# the installer runs elevated from a Downloads folder. So the installer
# delay-loads them: each call site stays as it is, the library is loaded at
# its first use, after the entry point has narrowed the search to the system
# directory (platform/win/library_loading_win.cpp).
#
# tw_delay_load(target lib...) makes, for each lib, a delay-import library of
# the same name from mingw-w64's import library (its exported names, read
# with nm) and puts their folder first in the target's library search, so
# every "-l<lib>" on its link line, curl's and libcrypto's too, takes it.
function(tw_delay_load target)
  set(dir "${CMAKE_BINARY_DIR}/delayload")
  file(MAKE_DIRECTORY "${dir}")
  string(REGEX REPLACE "nm$" "dlltool" dlltool "${CMAKE_NM}")
  # 32-bit C names carry a leading underscore (and stdcall's @N, which -k
  # keeps out of the imported names); 64-bit names are bare.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(decoration "_")
  else()
    set(decoration "")
  endif()
  foreach(lib IN LISTS ARGN)
    execute_process(COMMAND "${CMAKE_C_COMPILER}" -print-file-name=lib${lib}.a
                    OUTPUT_VARIABLE import OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS "${import}")
      message(FATAL_ERROR "no import library for ${lib}")
    endif()
    set(delay "${dir}/lib${lib}.a")
    if(NOT EXISTS "${delay}" OR "${import}" IS_NEWER_THAN "${delay}")
      execute_process(COMMAND "${CMAKE_NM}" "${import}" OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
      string(REGEX MATCHALL "[0-9a-f]+ T ${decoration}[A-Za-z_][A-Za-z0-9_@]*" exported "${symbols}")
      set(def "LIBRARY ${lib}.dll\nEXPORTS\n")
      foreach(line IN LISTS exported)
        string(REGEX REPLACE "^[0-9a-f]+ T ${decoration}" "" name "${line}")
        string(APPEND def "${name}\n")
      endforeach()
      file(WRITE "${dir}/${lib}.def" "${def}")
      execute_process(COMMAND "${dlltool}" -k --input-def "${dir}/${lib}.def" --output-delaylib "${delay}"
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endforeach()
  target_link_options(${target} BEFORE PRIVATE "-L${dir}")
endfunction()
