#pragma once

#include <atomic>

// Holds a page's filling flag for one fill, which may run inside another one:
// the flag is set while the scope lives and then goes back to what it was.
class FillScope
{
public:
    explicit FillScope(std::atomic<bool>& flag) : m_flag(flag), m_previous(flag.exchange(true)) {}
    ~FillScope() { m_flag = m_previous; }
    FillScope(const FillScope&) = delete;
    FillScope& operator=(const FillScope&) = delete;

private:
    std::atomic<bool>& m_flag;
    bool m_previous;
};
