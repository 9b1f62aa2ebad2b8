# Warning flags for the project's own targets. vortan_apply_warnings(), called
# once at the end of the root CMakeLists.txt, gives every library and program
# defined in the tree the full set; a target that is not yet clean under it
# calls vortan_target_warnings(<target> <flags...>) with fewer flags first.
# Third-party headers come through imported targets and so are SYSTEM
# includes: their warnings are not ours.

set(VORTAN_WARNING_FLAGS -Wall -Wextra -Wshadow -Wconversion -Wpedantic)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # clang's -Wconversion also reports sign changes, gcc's (for C++) does not:
  # both compilers check the same things.
  list(APPEND VORTAN_WARNING_FLAGS -Wno-sign-conversion)
endif()

# Gives <target> the warning flags (the full set, or the flags given after it)
# and, under VORTAN_WERROR, makes them errors.
function(vortan_target_warnings target)
  set(flags ${ARGN})
  if(NOT flags)
    set(flags ${VORTAN_WARNING_FLAGS})
  endif()
  if(VORTAN_WERROR)
    list(APPEND flags -Werror)
  endif()
  target_compile_options(${target} PRIVATE ${flags})
  set_property(TARGET ${target} PROPERTY VORTAN_WARNINGS_SET TRUE)
endfunction()

# Every compiled target defined in <dir> and below that has no flags yet gets
# the full set.
function(vortan_apply_warnings dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    get_target_property(done ${target} VORTAN_WARNINGS_SET)
    if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$"
       AND NOT done)
      vortan_target_warnings(${target})
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    vortan_apply_warnings(${subdir})
  endforeach()
endfunction()
