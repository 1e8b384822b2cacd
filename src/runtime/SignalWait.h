#pragma once

#include "CancelledError.h"
#include "Waiter.h"

#include <QCoroTask>
#include <QObject>

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <tuple>
#include <type_traits>
#include <utility>

namespace tavlen {

namespace detail {

template <class... A> struct SignalArgs
{
    using Value = std::tuple<A...>;
};

template <class A> struct SignalArgs<A>
{
    using Value = A;
};

template <> struct SignalArgs<>
{
    using Value = void;
};

template <class Tuple, std::size_t... I>
SignalArgs<std::tuple_element_t<I, Tuple>...> firstArgs(std::index_sequence<I...>);

// A signal's arguments without the QPrivateSignal tag that private signals (QTimer::timeout) end with: an empty
// class, declared privately by Q_OBJECT, so it can only be recognised by being empty.
template <class Signal> struct SignalTraits;

template <class... A> constexpr bool endsWithTag()
{
    if constexpr (sizeof...(A) == 0) {
        return false;
    } else {
        return std::is_empty_v<std::tuple_element_t<sizeof...(A) - 1, std::tuple<A...>>>;
    }
}

template <class C, class... A> struct SignalTraits<void (C::*)(A...)>
{
    using All = std::tuple<std::remove_cvref_t<A>...>;
    using Args = decltype(firstArgs<All>(std::make_index_sequence<sizeof...(A) - (endsWithTag<A...>() ? 1 : 0)>()));
};

// What the connections share with the waiter: the first emission's arguments, kept from any thread.
template <class... A> struct SignalCatch
{
    std::mutex mutex;
    std::optional<std::tuple<A...>> args;
    std::shared_ptr<Waiter> waiter;

    void take(const A&... values)
    {
        {
            const std::lock_guard lock(mutex);
            if (!args) {
                args.emplace(values...);
            }
        }
        waiter->wake();
    }
};

// Movable, as g++ 12 requires of awaiters.
template <class Sender, class Signal, class ArgList> class SignalAwaiter;

template <class Sender, class Signal, class... A> class SignalAwaiter<Sender, Signal, SignalArgs<A...>>
{
public:
    using Value = typename SignalArgs<A...>::Value;

    SignalAwaiter(Sender* sender, Signal signal, std::stop_token token)
        : m_sender(sender)
        , m_signal(signal)
        , m_token(std::move(token))
    {}

    SignalAwaiter(SignalAwaiter&&) noexcept = default;
    SignalAwaiter& operator=(SignalAwaiter&&) noexcept = default;

    ~SignalAwaiter()
    {
        disconnect();
        if (m_caught && m_caught->waiter) {
            m_caught->waiter->withdraw();
        }
    }

    bool await_ready() const noexcept { return false; }

    void await_suspend(std::coroutine_handle<> handle)
    {
        m_caught = std::make_shared<SignalCatch<A...>>();
        m_caught->waiter = Waiter::suspend(handle, m_token);
        // Direct connections: the emitting thread records the arguments and only posts the wake-up.
        m_emitted =
            QObject::connect(m_sender, m_signal, [caught = m_caught](const A&... values) { caught->take(values...); });
        m_gone = QObject::connect(m_sender, &QObject::destroyed, [caught = m_caught] { caught->waiter->wake(); });
    }

    Value await_resume()
    {
        disconnect();
        if (m_caught->waiter->wasAbandoned() || m_token.stop_requested()) {
            throw CancelledError();
        }
        const std::lock_guard lock(m_caught->mutex);
        if (!m_caught->args) {
            throw CancelledError(); // the sender was destroyed first
        }
        if constexpr (sizeof...(A) == 1) {
            return std::move(std::get<0>(*m_caught->args));
        } else if constexpr (sizeof...(A) > 1) {
            return std::move(*m_caught->args);
        }
    }

private:
    void disconnect()
    {
        QObject::disconnect(m_emitted);
        QObject::disconnect(m_gone);
    }

    Sender* m_sender;
    Signal m_signal;
    std::stop_token m_token;
    std::shared_ptr<SignalCatch<A...>> m_caught;
    QMetaObject::Connection m_emitted;
    QMetaObject::Connection m_gone;
};

template <class Signal> using SignalValue = typename SignalTraits<Signal>::Args::Value;

} // namespace detail

// Waits for sender to emit signal and gives its arguments: nothing for a signal without arguments, the value for
// one, a std::tuple for more. Only an emission after the call counts (check the state first: an emission while
// nobody waits is not seen). The waiter resumes on its own thread, through its loop, never inside the emission.
// Throws CancelledError on a stop request on token, and when sender is destroyed (or null) first.
// Throws std::logic_error on a thread without a Qt event loop.
//
//     if (process.state() != QProcess::NotRunning) {
//         const auto [code, status] = co_await waitForSignal(&process, &QProcess::finished, stop);
//     }
template <class Sender, class Signal>
QCoro::Task<detail::SignalValue<Signal>> waitForSignal(Sender* sender, Signal signal, std::stop_token token)
{
    if (token.stop_requested() || sender == nullptr) {
        throw CancelledError();
    }
    detail::SignalAwaiter<Sender, Signal, typename detail::SignalTraits<Signal>::Args> awaiter(
        sender, signal, std::move(token));
    co_return co_await std::move(awaiter);
}

} // namespace tavlen
