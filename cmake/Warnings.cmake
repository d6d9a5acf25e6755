# Warnings for our own targets; call vellumo_warnings(target). The test build turns them
# into errors, so that no warning gets in unseen.
function(vellumo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-missing-field-initializers)
  if(VELLUMO_TESTS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Declares a subsystem library vellumo_<name> from the given sources.
function(vellumo_library name)
  add_library(vellumo_${name} STATIC ${ARGN})
  target_include_directories(vellumo_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  vellumo_warnings(vellumo_${name})
endfunction()
