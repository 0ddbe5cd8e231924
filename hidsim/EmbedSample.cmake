# Writes a shipped text file into a header as a string constant NAME
# (default kSampleScenario).
if(NOT NAME)
    set(NAME kSampleScenario)
endif()
get_filename_component(source_name ${INPUT} NAME)
file(READ ${INPUT} content HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," content "${content}")
file(WRITE ${OUTPUT} "#pragma once\n// Generated from ${source_name}.\nstatic const char ${NAME}[] = {${content} 0x00};\n")
