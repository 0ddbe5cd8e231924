# Writes the sample scenario into a header as a string constant.
file(READ ${INPUT} content HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," content "${content}")
file(WRITE ${OUTPUT} "#pragma once\n// Generated from hidsim/sample/scenario.json.\nstatic const char kSampleScenario[] = {${content} 0x00};\n")
