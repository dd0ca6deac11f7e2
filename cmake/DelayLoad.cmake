# Libraries that Windows does not always map from its own directory are
# looked for beside the executable first when they are static imports, and
# the installer runs elevated from a Downloads folder. So the installer
# delay-loads them: each call site stays as it is, the library is loaded at
# its first use, after the entry point has narrowed the search to the system
# directory (platform/win/library_loading_win.cpp).
#
# tw_delay_load(target lib...) writes, for each lib, a delay-import library of
# the same name (one assembled object) from the names mingw-w64's import
# library exports, and puts their folder first in the target's library
# search, so every "-l<lib>" on its link line, curl's too,
# takes it.
#
# Why not dlltool --output-delaylib: 32-bit GNU ld drops the code section of
# an import-library member whose public symbol nobody calls, taking it for
# an unused "jmp *__imp_" stub. In dlltool's members that section also holds
# the loading thunk the import slot points to, so every function called
# through __imp_ (all that the headers declare dllimport) was left with an
# empty slot and jumped to address 0. Our objects hold no .idata sections, so
# none of the linker's import-library rules apply to them: each function's
# slot, loading thunk, name entry and name live in sections of their own,
# tied together by relocations, and --gc-sections keeps exactly the functions
# that are called. The slots and name entries are put in order by their
# section names (the linker sorts .data$* and .rdata$*), so the n-th slot and
# the n-th name entry belong to the same function, as the helper expects.
# tools/pe_image.py reads the result back; ImportSlotsTest checks every slot.

# The symbols of a function: its public name (what a direct call names), its
# slot (what a dllimport call reads) and the name the library exports.
function(_tw_delay_names symbol out_public out_slot out_export)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # 32-bit C names carry a leading underscore and stdcall's @N; the
    # library exports the plain name. One underscore only: a REGEX REPLACE
    # of "^_" takes every leading one (ws2_32's __WSAFDIsSet).
    string(SUBSTRING "${symbol}" 1 -1 export)
    string(REGEX REPLACE "@[0-9]+$" "" export "${export}")
  else()
    set(export "${symbol}")
  endif()
  set(${out_public} "${symbol}" PARENT_SCOPE)
  set(${out_slot} "__imp_${symbol}" PARENT_SCOPE)
  set(${out_export} "${export}" PARENT_SCOPE)
endfunction()

# Assembly for one library; `symbols` are the public names of its functions.
function(_tw_delay_source lib symbols out)
  set(p "twdl_${lib}")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(word ".long")
    set(align 2)
    set(name_entry_tail "")
    # The helper is stdcall: it takes the descriptor and the slot and pops
    # both. ecx and edx may carry a fastcall or thiscall caller's arguments.
    set(merge
      "\tpushl %ecx\n\tpushl %edx\n\tpushl %eax\n\tpushl $.Ldescriptor\n"
      "\tcall ___delayLoadHelper2@8\n\tpopl %edx\n\tpopl %ecx\n\tjmp *%eax\n")
  else()
    set(word ".quad")
    set(align 3)
    set(name_entry_tail "\t.long 0\n")
    # The argument registers, the four vector ones included, survive the
    # helper; the stack stays 16-byte aligned for its call.
    set(merge
      "\tpushq %rcx\n\tpushq %rdx\n\tpushq %r8\n\tpushq %r9\n\tsubq $0x68, %rsp\n"
      "\tmovdqa %xmm0, 0x20(%rsp)\n\tmovdqa %xmm1, 0x30(%rsp)\n\tmovdqa %xmm2, 0x40(%rsp)\n"
      "\tmovdqa %xmm3, 0x50(%rsp)\n\tmovq %rax, %rdx\n\tleaq .Ldescriptor(%rip), %rcx\n"
      "\tcall __delayLoadHelper2\n"
      "\tmovdqa 0x20(%rsp), %xmm0\n\tmovdqa 0x30(%rsp), %xmm1\n\tmovdqa 0x40(%rsp), %xmm2\n"
      "\tmovdqa 0x50(%rsp), %xmm3\n\taddq $0x68, %rsp\n"
      "\tpopq %r9\n\tpopq %r8\n\tpopq %rdx\n\tpopq %rcx\n\tjmp *%rax\n")
  endif()
  string(JOIN "" merge ${merge})

  # The descriptor (attributes 1: the fields are image-relative), the library
  # handle, and the starts and ends of the slot and name-entry arrays. The
  # merge refers to the ends so that the collector keeps them. The digit in a
  # data section's flags is its alignment: without it the x86-64 assembler
  # aligns and pads every section to 16 bytes, spacing the slots apart.
  set(s "# Delay-import library for ${lib}.dll, written by cmake/DelayLoad.cmake.\n")
  string(APPEND s
    "\t.section .text$${p},\"xr\"\n\t.p2align 4\n.Lmerge:\n${merge}"
    "\t.rva .Lslots_end, .Lnames_end\n"
    "\t.section .rdata$${p}_descriptor,\"dr2\"\n.Ldescriptor:\n"
    "\t.long 1\n\t.rva .Ldll, .Lmodule, .Lslots, .Lnames\n\t.long 0, 0, 0\n"
    ".Ldll:\n\t.asciz \"${lib}.dll\"\n"
    "\t.section .data$${p}_module,\"dw${align}\"\n.Lmodule:\n\t${word} 0\n"
    "\t.section .data$${p}_slots_a,\"dw${align}\"\n.Lslots:\n"
    "\t.section .rdata$${p}_names_a,\"dr${align}\"\n.Lnames:\n"
    "\t.section .data$${p}_slots_c,\"dw${align}\"\n.Lslots_end:\n\t${word} 0\n"
    "\t.section .rdata$${p}_names_c,\"dr${align}\"\n.Lnames_end:\n\t${word} 0\n")

  set(index 0)
  foreach(symbol IN LISTS symbols)
    _tw_delay_names("${symbol}" public slot export)
    string(LENGTH "0000${index}" digits)
    math(EXPR cut "${digits} - 5")
    string(SUBSTRING "0000${index}" ${cut} 5 n)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(jump "\tjmp *\"${slot}\"\n")
      set(load "\tmovl $\"${slot}\", %eax\n")
    else()
      set(jump "\tjmp *\"${slot}\"(%rip)\n")
      set(load "\tleaq \"${slot}\"(%rip), %rax\n")
    endif()
    # The public name jumps through the slot; the slot first holds the
    # loading thunk, which hands the slot to the merge and keeps the name
    # entry alive with it.
    string(APPEND s
      "\t.section .text$${p}_call_${n},\"xr\"\n\t.globl \"${public}\"\n\"${public}\":\n${jump}"
      "\t.section .text$${p}_load_${n},\"xr\"\n.Lload_${n}:\n${load}\tjmp .Lmerge\n\t.rva .Lentry_${n}\n"
      "\t.section .data$${p}_slots_b_${n},\"dw${align}\"\n\t.globl \"${slot}\"\n\"${slot}\":\n"
      "\t${word} .Lload_${n}\n"
      "\t.section .rdata$${p}_names_b_${n},\"dr${align}\"\n.Lentry_${n}:\n\t.rva .Lhint_${n}\n${name_entry_tail}"
      "\t.section .rdata$${p}_hint_${n},\"dr1\"\n.Lhint_${n}:\n\t.short 0\n\t.asciz \"${export}\"\n")
    math(EXPR index "${index} + 1")
  endforeach()
  set(${out} "${s}" PARENT_SCOPE)
endfunction()

function(tw_delay_load target)
  set(dir "${CMAKE_BINARY_DIR}/delayload")
  file(MAKE_DIRECTORY "${dir}")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(decoration "_")
  else()
    set(decoration "")
  endif()
  # A name two of the libraries export (oleaut32 forwards the error-info
  # functions to ole32) goes to the first one listed.
  set(taken "")
  foreach(lib IN LISTS ARGN)
    execute_process(COMMAND "${CMAKE_C_COMPILER}" -print-file-name=lib${lib}.a
                    OUTPUT_VARIABLE import OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS "${import}")
      message(FATAL_ERROR "no import library for ${lib}")
    endif()
    set(delay "${dir}/lib${lib}.a")
    execute_process(COMMAND "${CMAKE_NM}" "${import}" OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "[0-9a-f]+ T ${decoration}[A-Za-z_][A-Za-z0-9_@]*" lines "${listing}")
    set(symbols "")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[0-9a-f]+ T " "" symbol "${line}")
      # Interface ids some import libraries carry (oleacc's IID_IAccessible)
      # are data that libuuid defines, not functions of the library; the
      # entry points every COM library exports are the system's to call.
      if(NOT symbol MATCHES "^${decoration}(IID|LIBID|CLSID)_" AND
         NOT symbol MATCHES "^${decoration}Dll(Main|GetClassObject|CanUnloadNow|RegisterServer|UnregisterServer|Install)(@[0-9]+)?$")
        list(APPEND symbols "${symbol}")
      endif()
    endforeach()
    list(REMOVE_DUPLICATES symbols)
    if(taken)
      list(REMOVE_ITEM symbols ${taken})
    endif()
    list(APPEND taken ${symbols})
    list(SORT symbols)
    _tw_delay_source("${lib}" "${symbols}" source)
    set(written "")
    if(EXISTS "${dir}/${lib}.s")
      file(READ "${dir}/${lib}.s" written)
    endif()
    if(NOT EXISTS "${delay}" OR NOT written STREQUAL source)
      file(WRITE "${dir}/${lib}.s" "${source}")
      file(REMOVE "${delay}")
      execute_process(COMMAND "${CMAKE_C_COMPILER}" -c -x assembler "${dir}/${lib}.s" -o "${dir}/${lib}.o"
                      COMMAND_ERROR_IS_FATAL ANY)
      execute_process(COMMAND "${CMAKE_AR}" rcs "${delay}" "${dir}/${lib}.o" COMMAND_ERROR_IS_FATAL ANY)
    endif()
    # Written anew at configure time: the program is linked again.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${delay}")
  endforeach()
  target_link_options(${target} BEFORE PRIVATE "-L${dir}")
endfunction()
