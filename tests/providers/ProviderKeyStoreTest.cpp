#include "BoundedWait.h"
#include "MonitorDatabase.h"
#include "ProviderKeyError.h"
#include "SQLiteProviderKeyStore.h"
#include "SqliteStatement.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tavlen {
namespace {

using Provider = ModelSelection::Provider;

template <class T> T finish(QCoro::Task<T> task)
{
    return test::waitBounded(std::move(task), std::chrono::seconds(60));
}

template <class T> std::optional<ProviderKeyError::Kind> keyErrorOf(QCoro::Task<T> task)
{
    try {
        finish(std::move(task));
    } catch (const ProviderKeyError& error) {
        return error.kind();
    }
    return std::nullopt;
}

class ProviderKeyStoreTest : public testing::Test
{
protected:
    std::int64_t rowCount()
    {
        return finish(m_database.read([](SqliteConnection& connection) {
            SqliteStatement statement = connection.prepare("SELECT count(*) FROM provider_credentials");
            statement.step();
            return statement.columnInt64(0);
        }));
    }

    // Stores bytes as the key column's text, bypassing the key rule, as a damaged or foreign file might hold them.
    void storeRaw(const std::string& provider, const std::string& bytes)
    {
        finish(m_database.write([provider, bytes](SqliteConnection& connection) {
            SqliteStatement statement =
                connection.prepare("INSERT OR REPLACE INTO provider_credentials (provider, api_key) VALUES (?, ?)");
            statement.bindAll(provider, bytes);
            statement.execute();
        }));
    }

    test::TemporaryDirectory m_directory;
    MonitorDatabase m_database{m_directory / "Tavlen.sqlite"};
    SQLiteProviderKeyStore m_openAI{m_database, Provider::openAI};
    SQLiteProviderKeyStore m_gemini{m_database, Provider::gemini};
};

TEST_F(ProviderKeyStoreTest, noRowMeansNoKey)
{
    EXPECT_FALSE(finish(m_openAI.hasKey()));
    EXPECT_EQ(finish(m_openAI.apiKey()), std::nullopt);
}

TEST_F(ProviderKeyStoreTest, aKeyIsSavedTrimmedAndReplacedInOneRowPerProvider)
{
    finish(m_openAI.save("  sk-first\n"));
    EXPECT_TRUE(finish(m_openAI.hasKey()));
    EXPECT_EQ(finish(m_openAI.apiKey()), "sk-first");

    finish(m_openAI.save("sk-second"));
    finish(m_gemini.save("\tAIza-gemini "));
    EXPECT_EQ(finish(m_openAI.apiKey()), "sk-second");
    EXPECT_EQ(finish(m_gemini.apiKey()), "AIza-gemini");
    EXPECT_EQ(rowCount(), 2);

    finish(m_openAI.deleteKey());
    finish(m_openAI.deleteKey()); // removing no key is no error
    EXPECT_FALSE(finish(m_openAI.hasKey()));
    EXPECT_EQ(finish(m_gemini.apiKey()), "AIza-gemini");
}

TEST_F(ProviderKeyStoreTest, keysThatBreakTheRuleAreRefusedBeforeTheDatabase)
{
    struct Case
    {
        const char* name;
        std::string key;
        ProviderKeyError::Kind error;
    };

    const Case cases[] = {
        {"empty", "", ProviderKeyError::Kind::empty},
        {"white space and line breaks only", " \t\r\n\u2028\u00a0", ProviderKeyError::Kind::empty},
        {"inner space", "sk-a b", ProviderKeyError::Kind::invalidCharacters},
        {"inner tab", "sk-a\tb", ProviderKeyError::Kind::invalidCharacters},
        {"inner line break", "sk-a\nb", ProviderKeyError::Kind::invalidCharacters},
        {"NUL", std::string("sk-a\0b", 6), ProviderKeyError::Kind::invalidCharacters},
        {"zero-width space", "sk-a\u200bb", ProviderKeyError::Kind::invalidCharacters},
        {"trailing format character", "sk-ab\u200d", ProviderKeyError::Kind::invalidCharacters},
        {"not UTF-8", "sk-\xff", ProviderKeyError::Kind::invalidCharacters},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(keyErrorOf(m_openAI.save(row.key)), row.error);
    }
    EXPECT_EQ(rowCount(), 0);
}

TEST_F(ProviderKeyStoreTest, aStoredValueThatBreaksTheRuleIsRefusedNotRepaired)
{
    for (const std::string& damaged : {std::string("sk-key\n"),
                                       std::string(" sk-key"),
                                       std::string("sk-\xc3"),
                                       std::string("sk key"),
                                       std::string("sk-\xe2\x80\x8bkey")}) {
        SCOPED_TRACE(damaged);
        storeRaw("openAI", damaged);
        EXPECT_TRUE(finish(m_openAI.hasKey()));
        EXPECT_EQ(keyErrorOf(m_openAI.apiKey()), ProviderKeyError::Kind::invalidStoredData);
    }
}

TEST_F(ProviderKeyStoreTest, databaseFailuresAreStorageErrors)
{
    MonitorDatabase nowhere(std::nullopt);
    SQLiteProviderKeyStore store(nowhere, Provider::anthropic);
    EXPECT_EQ(keyErrorOf(store.hasKey()), ProviderKeyError::Kind::storage);
    EXPECT_EQ(keyErrorOf(store.apiKey()), ProviderKeyError::Kind::storage);
    EXPECT_EQ(keyErrorOf(store.save("sk-key")), ProviderKeyError::Kind::storage);
    EXPECT_EQ(keyErrorOf(store.deleteKey()), ProviderKeyError::Kind::storage);

    // The table keeps Ollama out: it has no key to save.
    SQLiteProviderKeyStore ollama(m_database, Provider::ollama);
    EXPECT_EQ(keyErrorOf(ollama.save("sk-key")), ProviderKeyError::Kind::storage);
}

TEST(ProviderKeyErrorText, everyCaseHasItsSentence)
{
    EXPECT_STREQ(ProviderKeyError::empty().what(), "Enter an API key.");
    EXPECT_STREQ(ProviderKeyError::invalidCharacters().what(),
                 "The API key cannot contain spaces, line breaks, or control characters.");
    EXPECT_STREQ(ProviderKeyError::invalidStoredData().what(),
                 "The saved API key could not be read. Replace it in Settings.");
    EXPECT_STREQ(ProviderKeyError::storage().what(),
                 "Tavlen could not access the saved API key. Check available disk space and access to the data "
                 "folder (usually ~/.local/share), then retry.");
}

} // namespace
} // namespace tavlen
