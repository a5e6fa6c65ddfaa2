# Helpers so that a subsystem folder only lists its files.

# The build's generators (form compiler, package compiler, picture maker)
# must run on this machine. By default they are this tree's own programs,
# run through the cross emulator. With KY_HOST_TOOLS_DIR, another build tree
# of an architecture the machine runs (KY_HOST_ARCH) lends its generators:
# the 32-bit program is then built where 32-bit code cannot run. Rules use
# ${KY_RUN_<tool>} as their command and ${KY_DEP_<tool>} in DEPENDS.
set(KY_HOST_TOOLS_DIR "" CACHE PATH "a build tree of a runnable architecture whose generators this build uses")
set(KY_HOST_ARCH x86_64 CACHE STRING "the architecture of KY_HOST_TOOLS_DIR")
macro(ky_generators)
  foreach(tool formtool pkgtool pictures)
    if(KY_HOST_TOOLS_DIR)
      set(exe "${KY_HOST_TOOLS_DIR}/tools/${tool}/${tool}.exe")
      set(KY_RUN_${tool} ${CMAKE_COMMAND} -E env KY_ARCH=${KY_HOST_ARCH}
        KYSETUP_WINEPREFIX=${KY_HOST_TOOLS_DIR}/wineprefix
        ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh "${exe}")
      set(KY_DEP_${tool} "${exe}")
    else()
      set(KY_RUN_${tool} ${tool})
      set(KY_DEP_${tool} ${tool})
    endif()
  endforeach()
endmacro()

# ky_library(NAME PORTABLE files... WIN32 files... DEPS libs...)
# The portable files also build natively; the WIN32 files only for the target.
function(ky_library name)
  cmake_parse_arguments(A "" "" "PORTABLE;WIN32;DEPS" ${ARGN})
  set(srcs ${A_PORTABLE})
  if(NOT KY_NATIVE)
    list(APPEND srcs ${A_WIN32})
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  if(A_DEPS)
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  endif()
endfunction()

# ky_test(NAME files... LIBS libs...): one GoogleTest executable, one CTest
# test; CTest runs it through Wine when cross-compiling.
function(ky_test name)
  cmake_parse_arguments(A "" "" "LIBS" ${ARGN})
  add_executable(${name} ${A_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  # Test code is built for a quick build, not a quick run: what it tests
  # keeps the libraries' optimisation. Four test files make one compilation
  # (the test framework's headers are read once, not four times: about half
  # the work); names a file keeps to itself must differ from its batch's.
  # The framework's fixtures in unnamed namespaces are fine in one program.
  target_compile_options(${name} PRIVATE -O0 -Wno-subobject-linkage)
  set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 4)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "KY_TOOLS_DIR=${CMAKE_BINARY_DIR}/tools;KY_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    TIMEOUT 900)
endfunction()

# ky_form_resources(target forms...): converts each readable form (a .kfm
# text named after its form class, e.g. TFrSetup.kfm) into its binary form
# stream with formtool at build time, and links the streams into target as
# RCDATA resources named after the classes, where InitInheritedComponent
# finds them. The native build has no resources: there it does nothing.
#
# With DATA_DIR, a form's "{@NAME}" binary values take the bytes of files
# in that folder (packages the build compiles); DEPENDS names what makes
# them (files or targets).
#
# With INTERFACE (a library's own forms), the resource object goes to every
# program that links target instead: an archive member without symbols
# would never reach the link.
function(ky_form_resources target)
  if(KY_NATIVE)
    return()
  endif()
  cmake_parse_arguments(A "INTERFACE" "DATA_DIR" "DEPENDS" ${ARGN})
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/${target}_forms")
  set(rc "${dir}/forms.rc")
  set(res "${dir}/forms.res.obj")
  set(bins "")
  set(lines "")
  foreach(form IN LISTS A_UNPARSED_ARGUMENTS)
    get_filename_component(src "${form}" ABSOLUTE)
    get_filename_component(cls "${form}" NAME_WE)
    set(bin "${dir}/${cls}.bin")
    add_custom_command(OUTPUT "${bin}"
      COMMAND ${KY_RUN_formtool} binary "${src}" "${bin}" ${A_DATA_DIR}
      DEPENDS ${KY_DEP_formtool} "${src}" ${A_DEPENDS}
      COMMENT "Converting form ${cls}"
      VERBATIM)
    list(APPEND bins "${bin}")
    string(APPEND lines "${cls} RCDATA \"${bin}\"\n")
  endforeach()
  file(MAKE_DIRECTORY "${dir}")
  file(CONFIGURE OUTPUT "${rc}" CONTENT "${lines}" @ONLY)
  add_custom_command(OUTPUT "${res}"
    COMMAND "${CMAKE_RC_COMPILER}" -O coff -i "${rc}" -o "${res}"
    DEPENDS "${rc}" ${bins}
    COMMENT "Linking the forms of ${target}"
    VERBATIM)
  if(A_INTERFACE)
    add_custom_target(${target}_forms DEPENDS "${res}")
    add_dependencies(${target} ${target}_forms)
    target_link_libraries(${target} INTERFACE "${res}")
    return()
  endif()
  set_source_files_properties("${res}" PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  target_sources(${target} PRIVATE "${res}")
endfunction()

# ky_compile_packages(TARGET name OUT_DIR dir PACKAGES source output ...):
# compiles each readable package source (docs/package-sources.md) into
# OUT_DIR/output with pkgtool at build time. The custom target, built by
# default, makes them all; link-time users add a dependency on it.
function(ky_compile_packages)
  cmake_parse_arguments(A "" "TARGET;OUT_DIR" "PACKAGES" ${ARGN})
  list(LENGTH A_PACKAGES n)
  math(EXPR odd "${n} % 2")
  if(n EQUAL 0 OR odd)
    message(FATAL_ERROR "ky_compile_packages: PACKAGES takes pairs of source and output")
  endif()
  file(MAKE_DIRECTORY "${A_OUT_DIR}")
  # Sources name files beside them (pictures, nested sources): every file of
  # the calling folder's tree counts for every package.
  file(GLOB_RECURSE beside CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*")
  list(FILTER beside EXCLUDE REGEX "CMakeLists\\.txt$")
  set(outputs "")
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET A_PACKAGES ${i} src)
    list(GET A_PACKAGES ${j} out)
    get_filename_component(src "${src}" ABSOLUTE)
    set(out "${A_OUT_DIR}/${out}")
    add_custom_command(OUTPUT "${out}"
      COMMAND ${KY_RUN_pkgtool} compile "${src}" "${out}"
      DEPENDS ${KY_DEP_pkgtool} "${src}" ${beside}
      COMMENT "Compiling package ${out}"
      VERBATIM)
    list(APPEND outputs "${out}")
  endforeach()
  add_custom_target(${A_TARGET} ALL DEPENDS ${outputs})
endfunction()

# ky_win_resources(target file.rc [DEPENDS files...]): compiles a resource
# script (icons, manifest, version) and links it into target.
function(ky_win_resources target rc)
  if(KY_NATIVE)
    return()
  endif()
  cmake_parse_arguments(A "" "" "DEPENDS" ${ARGN})
  get_filename_component(rc "${rc}" ABSOLUTE)
  get_filename_component(name "${rc}" NAME_WE)
  get_filename_component(dir "${rc}" DIRECTORY)
  set(res "${CMAKE_CURRENT_BINARY_DIR}/${target}_${name}.res.obj")
  add_custom_command(OUTPUT "${res}"
    COMMAND "${CMAKE_RC_COMPILER}" -O coff -I "${dir}" -i "${rc}" -o "${res}"
    DEPENDS "${rc}" ${A_DEPENDS}
    COMMENT "Resources of ${target}"
    VERBATIM)
  set_source_files_properties("${res}" PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  target_sources(${target} PRIVATE "${res}")
endfunction()
