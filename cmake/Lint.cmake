# Static checks as tests: formatting, clang-tidy and cppcheck over the sources.
file(GLOB_RECURSE CPMARK_LINT_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/src/*.cpp ${PROJECT_SOURCE_DIR}/src/*.hpp
     ${PROJECT_SOURCE_DIR}/tests/*.cpp ${PROJECT_SOURCE_DIR}/tests/*.hpp)

add_test(NAME lint.clang_format COMMAND clang-format --dry-run -Werror ${CPMARK_LINT_SOURCES})

# clang-tidy reads the compile commands of this build; the Windows platform
# file is not compiled here, so cppcheck alone looks at it.
set(CPMARK_TIDY_SOURCES ${CPMARK_LINT_SOURCES})
list(FILTER CPMARK_TIDY_SOURCES INCLUDE REGEX "\\.cpp$")
list(FILTER CPMARK_TIDY_SOURCES EXCLUDE REGEX "(platform_win32|win_helper|/fuzz/)")
add_test(NAME lint.clang_tidy COMMAND clang-tidy -p ${CMAKE_BINARY_DIR} --quiet ${CPMARK_TIDY_SOURCES})

add_test(NAME lint.cppcheck
         COMMAND cppcheck --enable=warning,style,performance,portability --std=c++20 --error-exitcode=1
                 --inline-suppr --quiet --library=googletest --library=posix --library=windows
                 # Raw loops are kept where they read plainer than an algorithm.
                 --suppress=useStlAlgorithm --suppress=missingIncludeSystem
                 -I ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
set_tests_properties(lint.clang_format lint.clang_tidy lint.cppcheck PROPERTIES TIMEOUT 600)
