# Writes the prompt maker's word list (WORDS) into OUT as one C++ raw string
# literal, which src/speech/prompt_words.cpp builds into the program: the
# system's speech then says the words the recordings say. The file is
# rewritten only when its content changes.
#
#   cmake -DWORDS=tools/prompt-words.txt -DOUT=generated/prompt_words.inc -P embed-prompt-words.cmake
file(READ "${WORDS}" words)
if(words MATCHES "\\)rigvoxwords\"")
  message(FATAL_ERROR "${WORDS} holds the literal's closing delimiter")
endif()
set(text "// Made by the build from prompt-words.txt: do not edit.\nR\"rigvoxwords(${words})rigvoxwords\"\n")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
  if(old STREQUAL text)
    return()
  endif()
endif()
file(WRITE "${OUT}" "${text}")
