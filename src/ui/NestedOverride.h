#pragma once

namespace ui {

// The base of every test override: while one lives it is the active one; overrides nest, the
// newest wins, and its destructor brings back the one that was active before it.
template <typename Override> class NestedOverride
{
public:
    static Override* active() { return s_active; }

    NestedOverride(const NestedOverride&) = delete;
    NestedOverride& operator=(const NestedOverride&) = delete;

protected:
    NestedOverride() : m_previous(s_active) { s_active = static_cast<Override*>(this); }
    ~NestedOverride() { s_active = m_previous; }

private:
    Override* m_previous;
    static inline Override* s_active = nullptr;
};

} // namespace ui
