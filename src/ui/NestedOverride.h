#pragma once

namespace ui {

// The base of every test override: while one lives it is the active one; overrides nest, the
// newest wins, and its destructor brings back the one that was active before it.
template <typename Override> class NestedOverride
{
public:
    static Override* active() { return static_cast<Override*>(s_active); }

    NestedOverride(const NestedOverride&) = delete;
    NestedOverride& operator=(const NestedOverride&) = delete;

protected:
    // Kept as the base until asked for: the derived part is not built yet while this runs.
    NestedOverride() : m_previous(s_active) { s_active = this; }
    ~NestedOverride() { s_active = m_previous; }

private:
    NestedOverride* m_previous;
    static inline NestedOverride* s_active = nullptr;
};

} // namespace ui
