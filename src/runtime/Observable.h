#pragma once

#include <functional>

namespace tavlen {

// Stores value in member unless eq says they are already equal; returns whether it changed.
// Setters of observable state use it so that an equal value emits nothing.
//
// An observable state object is a QObject living on the main thread. Each observed property has
//   - a getter:                const std::string& title() const;
//   - a setter that does nothing when the value is equal by that property's own rule;
//   - a signal without arguments named <property>Changed; receivers read the getter.
//
//     void MonitorState::setTitle(const std::string& title)
//     {
//         TAVLEN_ASSERT_MAIN_THREAD();
//         if (assignIfChanged(m_title, title, textEqual)) {
//             Q_EMIT titleChanged();
//         }
//     }
template <class T, class Eq = std::equal_to<>> bool assignIfChanged(T& member, const T& value, Eq eq = {})
{
    if (eq(member, value)) {
        return false;
    }
    member = value;
    return true;
}

} // namespace tavlen
