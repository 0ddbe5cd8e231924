#pragma once

#include <map>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

// Texts and text arrays handed out by the library. They stay valid for the life
// of the process; equal contents share one copy, so repeated calls do not grow it.
class StringPool
{
public:
    const char* intern(const std::string& text);
    // A null-terminated array of the interned texts.
    char** internArray(const std::vector<std::string>& texts);

private:
    std::mutex m_mutex;
    std::unordered_set<std::string> m_texts;
    std::map<std::vector<std::string>, std::vector<char*>> m_arrays;
};
