#pragma once

#include "SqliteError.h"

#include <sqlite3.h>

#include <functional>

namespace tavlen::test {

// The primary SQLite result code the action failed with, or SQLITE_OK when it did not throw an SqliteError.
inline int primaryCodeOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const SqliteError& error) {
        return error.primaryCode();
    }
    return SQLITE_OK;
}

} // namespace tavlen::test
