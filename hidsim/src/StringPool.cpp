#include "StringPool.h"

const char* StringPool::intern(const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_texts.insert(text).first->c_str();
}

char** StringPool::internArray(const std::vector<std::string>& texts)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_arrays.find(texts);
    if (it == m_arrays.end()) {
        std::vector<char*> pointers;
        for (const std::string& t : texts)
            pointers.push_back(const_cast<char*>(m_texts.insert(t).first->c_str()));
        pointers.push_back(nullptr);
        it = m_arrays.emplace(texts, std::move(pointers)).first;
    }
    return it->second.data();
}
