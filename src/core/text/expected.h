#pragma once

#include <cassert>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace sortivo
{

// Why something asked of the program was not done, in French, whole and ready to show: in a
// message box, on standard error, in a journal's warning.
struct Refusal {
    std::string text;
};

// What a step that may be refused gives back: its value, or why not. The one shape every
// refusal takes across a boundary, so a caller never has to know whether to look at an empty
// string, a flag or an exception. Spelt as C++23's std::expected is, so that moving to it is a
// rename.
template <typename T, typename Why = Refusal> class Expected
{
public:
    Expected(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Expected(Why why) : m_state(std::in_place_index<1>, std::move(why)) {}

    bool has_value() const { return m_state.index() == 0; }
    explicit operator bool() const { return has_value(); }

    // Checked, as std::expected's is: asked of a refusal, it throws.
    T& value() &
    {
        check();
        return *std::get_if<0>(&m_state);
    }
    const T& value() const&
    {
        check();
        return *std::get_if<0>(&m_state);
    }
    T&& value() && { return std::move(value()); }
    // Unchecked: for after a test of the result.
    T& operator*() &
    {
        assert(has_value());
        return *std::get_if<0>(&m_state);
    }
    const T& operator*() const&
    {
        assert(has_value());
        return *std::get_if<0>(&m_state);
    }
    T* operator->() { return &**this; }
    const T* operator->() const { return &**this; }

    const Why& error() const
    {
        assert(!has_value());
        return *std::get_if<1>(&m_state);
    }

private:
    void check() const
    {
        if (!has_value())
            throw std::logic_error("a refusal was taken for a value");
    }

    std::variant<T, Why> m_state;
};

// A step with nothing to give back but whether it was done.
template <typename Why> class Expected<void, Why>
{
public:
    Expected() = default;
    Expected(Why why) : m_why(std::move(why)) {}

    bool has_value() const { return !m_why; }
    explicit operator bool() const { return has_value(); }
    const Why& error() const
    {
        assert(m_why);
        return *m_why;
    }

private:
    std::optional<Why> m_why;
};

} // namespace sortivo
