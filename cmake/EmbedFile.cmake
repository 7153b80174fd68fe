# Compiles a file into the program: writes a C++ file defining NAME, a std::string_view declared
# in HEADER, as the bytes of INPUT after the comment it opens with (/* */ or <!-- -->), which
# is for the file's reader and not for the program's output.
#   cmake -DINPUT=page.css -DOUTPUT=page.css.cpp -DHEADER=report/assets.hpp
#         -DNAME=report::kPageCss -P EmbedFile.cmake
foreach(variable INPUT OUTPUT HEADER NAME)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "EmbedFile.cmake needs -D${variable}=...")
  endif()
endforeach()

file(READ "${INPUT}" text)
if(text MATCHES "^/\\*")
  set(close "*/\n")
elseif(text MATCHES "^<!--")
  set(close "-->\n")
else()
  message(FATAL_ERROR "${INPUT}: must open with a comment saying what the file is for")
endif()
string(FIND "${text}" "${close}" end)
if(end EQUAL -1)
  message(FATAL_ERROR "${INPUT}: its opening comment does not end at a line's end")
endif()
string(LENGTH "${close}" closeLength)
math(EXPR offset "${end} + ${closeLength}")

# Every byte escaped, so that no byte of the file can end or bend the literal; 16 to a line.
file(READ "${INPUT}" hex OFFSET ${offset} HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "(................................)" "\\1;" lines "${hex}")
set(literal "")
foreach(line IN LISTS lines)
  if(NOT line STREQUAL "")
    string(REGEX REPLACE "(..)" "\\\\x\\1" line "${line}")
    string(APPEND literal "\n    \"${line}\"")
  endif()
endforeach()
if(literal STREQUAL "")
  set(literal "\n    \"\"")
endif()

cmake_path(GET INPUT FILENAME source)
file(WRITE "${OUTPUT}.partial"
     "// ${source} compiled in by cmake/EmbedFile.cmake: edit ${source}, not this file.\n"
     "#include \"${HEADER}\"\n\n"
     "const std::string_view ${NAME}{${literal},\n    ${size}};\n")
file(RENAME "${OUTPUT}.partial" "${OUTPUT}")
