# objc_target(<target> FOUNDATION|APPKIT)
# Gives a target the Objective-C runtime and Foundation (or AppKit) of the
# platform: the system frameworks on macOS, GNUstep elsewhere.
function(objc_target target kind)
  if(APPLE)
    target_compile_options(${target} PRIVATE -fno-objc-arc)
    if(kind STREQUAL "APPKIT")
      target_link_libraries(${target} PRIVATE "-framework AppKit" "-framework Foundation")
    else()
      target_link_libraries(${target} PRIVATE "-framework Foundation")
    endif()
    return()
  endif()
  if(NOT GNUSTEP_OBJC_FLAGS)
    execute_process(COMMAND gnustep-config --objc-flags
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "gnustep-config not found: install gnustep-devel and gobjc++")
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    # -MMD/-MP and -I. are for GNUstep's own makefiles; CMake tracks dependencies itself.
    list(REMOVE_ITEM flags -MMD -MP -I. -g -O2)
    set(GNUSTEP_OBJC_FLAGS ${flags} CACHE INTERNAL "")
    foreach(k base gui)
      execute_process(COMMAND gnustep-config --${k}-libs
        OUTPUT_VARIABLE libs OUTPUT_STRIP_TRAILING_WHITESPACE)
      separate_arguments(libs UNIX_COMMAND "${libs}")
      set(GNUSTEP_${k}_LIBS ${libs} CACHE INTERNAL "")
    endforeach()
  endif()
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:OBJCXX,OBJC>:${GNUSTEP_OBJC_FLAGS}>
    # GNUstep's headers hold block-typed fields that g++ warns about in C++.
    $<$<COMPILE_LANGUAGE:OBJCXX>:-Wno-subobject-linkage>)
  if(kind STREQUAL "APPKIT")
    target_link_libraries(${target} PRIVATE ${GNUSTEP_gui_LIBS})
  else()
    target_link_libraries(${target} PRIVATE ${GNUSTEP_base_LIBS})
  endif()
endfunction()

# CMake 3.25 knows no SONAME flag for Objective-C(++) links with the GNU
# toolchain, so a versioned library linked as OBJCXX would get no SONAME.
foreach(lang OBJC OBJCXX)
  if(NOT APPLE AND NOT CMAKE_SHARED_LIBRARY_SONAME_${lang}_FLAG)
    set(CMAKE_SHARED_LIBRARY_SONAME_${lang}_FLAG "-Wl,-soname,")
  endif()
endforeach()
