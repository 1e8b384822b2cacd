#pragma once

#include "BrowserRect.h"
#include "LoopbackHttpServer.h"
#include "ModelRequestReport.h"
#include "MonitorDatabase.h"
#include "ReadingField.h"
#include "SQLiteProviderKeyStore.h"
#include "StepsReader.h"
#include "StepsScreenshot.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavlen::test {

// What the readers' tests share: a Read step on a shop page (a number field "Price" and a text field "Name" over a
// region with a product line), a workspace with the cloud providers' keys, a loopback server in place of the
// provider, and the reports each read makes.
class ReaderFixture : public testing::Test
{
protected:
    ReaderFixture();
    ~ReaderFixture() override;

    // The field's id as the model sees it.
    std::string priceKey() const;
    std::string nameKey() const;

    // The page evidence of the region, as every request carries it.
    const std::string& evidenceJSON() const;
    // The crop as base64 PNG, as every request carries it.
    const std::string& cropBase64() const;

    std::shared_ptr<SQLiteProviderKeyStore> keyStore(ModelSelection::Provider provider);

    // Runs reader.read for the selection with this step's fields, screenshot and region, recording the reports.
    std::vector<Reading> read(StepsReader& reader,
                              const ModelSelection& selection,
                              std::int64_t timeoutSeconds = 30,
                              std::stop_token stop = {});

    // The read's failure as "<code>: <message>" for provider failures (OpenAI's included) and the sentence for a
    // ReadingFailure; "(read)" when it gave readings.
    std::string failureOf(StepsReader& reader, const ModelSelection& selection, std::int64_t timeoutSeconds = 30);

    // The kinds of the reports so far, by name ("requestSent", "usage", "model", "requestNotBilled").
    std::vector<std::string> reportKinds() const;
    // The usage of the last usage report, if any.
    std::optional<ModelUsage> reportedUsage() const;

    static std::vector<Reading> expectedReadings(const std::vector<ReadingField>& fields);

    TemporaryDirectory m_directory;
    MonitorDatabase m_database;
    LoopbackHttpServer m_server;
    std::shared_ptr<const StepsScreenshot> m_screenshot;
    BrowserRect m_region;
    std::vector<ReadingField> m_fields;
    std::vector<ModelRequestReport> m_reports;

private:
    std::string m_evidenceJSON;
    std::string m_cropBase64;
};

} // namespace tavlen::test
