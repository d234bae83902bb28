# Compiles files into a binary as byte arrays, for the headless back end: the plug-in reads no
# files at run time. Usable from a CMakeLists.txt and in script mode.

# Sets <variable> to the bytes of <file> as a C initialiser list, sixteen to a line.
function(brl_bytes_of file variable)
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" body "${body}")
  set(${variable} "${body}" PARENT_SCOPE)
endfunction()

# Writes <content> to <file> only when it differs, so that an unchanged file is not rebuilt.
function(brl_write_if_changed file content)
  if(EXISTS "${file}")
    file(READ "${file}" old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE "${file}" "${content}")
endfunction()

# Reads a resource script: the BITMAP lines (id and file, relative to the script) into
# <prefix>_BITMAP_IDS and <prefix>_BITMAP_FILES, the version block's string values into
# <prefix>_STRING_KEYS and <prefix>_STRING_VALUES, and its translation into <prefix>_LANGUAGE
# and <prefix>_CODE_PAGE.
function(brl_parse_resource_script script prefix)
  get_filename_component(dir "${script}" DIRECTORY)
  file(STRINGS "${script}" lines)
  set(ids)
  set(files)
  set(keys)
  set(values)
  set(language 0)
  set(code_page 0)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*([0-9]+)[ \t]+BITMAP[ \t]+\"([^\"]+)\"")
      list(APPEND ids ${CMAKE_MATCH_1})
      list(APPEND files "${dir}/${CMAKE_MATCH_2}")
    elseif(line MATCHES "^[ \t]*VALUE[ \t]+\"Translation\"[ \t]*,[ \t]*([0-9xXa-fA-F]+)[ \t]*,[ \t]*([0-9xXa-fA-F]+)")
      math(EXPR language "${CMAKE_MATCH_1}")
      math(EXPR code_page "${CMAKE_MATCH_2}")
    elseif(line MATCHES "^[ \t]*VALUE[ \t]+\"([^\"]+)\"[ \t]*,[ \t]*\"([^\"]*)\"")
      list(APPEND keys "${CMAKE_MATCH_1}")
      list(APPEND values "${CMAKE_MATCH_2}")
    endif()
  endforeach()
  set(${prefix}_BITMAP_IDS "${ids}" PARENT_SCOPE)
  set(${prefix}_BITMAP_FILES "${files}" PARENT_SCOPE)
  set(${prefix}_STRING_KEYS "${keys}" PARENT_SCOPE)
  set(${prefix}_STRING_VALUES "${values}" PARENT_SCOPE)
  set(${prefix}_LANGUAGE ${language} PARENT_SCOPE)
  set(${prefix}_CODE_PAGE ${code_page} PARENT_SCOPE)
endfunction()

# Writes a C++ source that registers the script's bitmaps and version strings with the
# headless back end when the binary loads.
function(brl_generate_resource_source script output)
  brl_parse_resource_script("${script}" rc)
  set(arrays "")
  set(entries "")
  set(count 0)
  foreach(id file IN ZIP_LISTS rc_BITMAP_IDS rc_BITMAP_FILES)
    brl_bytes_of("${file}" bytes)
    string(APPEND arrays "const unsigned char picture${id}[] = {\n${bytes}};\n")
    string(APPEND entries "    {${id}, picture${id}, sizeof picture${id}},\n")
    math(EXPR count "${count} + 1")
  endforeach()
  set(strings "")
  set(string_count 0)
  foreach(key value IN ZIP_LISTS rc_STRING_KEYS rc_STRING_VALUES)
    string(REPLACE "\\0" "" value "${value}")
    string(APPEND strings "    {\"${key}\", \"${value}\"},\n")
    math(EXPR string_count "${string_count} + 1")
  endforeach()
  if(count EQUAL 0)
    set(entries "    {0, nullptr, 0},\n")
  endif()
  if(string_count EQUAL 0)
    set(strings "    {nullptr, nullptr},\n")
  endif()
  brl_write_if_changed("${output}" "// Generated from ${script}; do not edit.
#include \"platform/headless/EmbeddedResources.h\"

namespace {
using platform::headless::EmbeddedPicture;
using platform::headless::EmbeddedResources;
using platform::headless::EmbeddedString;

${arrays}
const EmbeddedPicture pictures[] = {
${entries}};

const EmbeddedString versionStrings[] = {
${strings}};

EmbeddedResources table = {pictures, ${count}, versionStrings, ${string_count},
                           ${rc_LANGUAGE}, ${rc_CODE_PAGE}, nullptr};

__attribute__((constructor)) void registerTable() {
    platform::headless::registerEmbeddedResources(&table);
}
}  // namespace
")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND BRL_RESOURCE_SCRIPT AND BRL_RESOURCE_OUTPUT)
  brl_generate_resource_source("${BRL_RESOURCE_SCRIPT}" "${BRL_RESOURCE_OUTPUT}")
endif()
