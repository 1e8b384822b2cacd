#include "ReaderFixture.h"

#include "Base64.h"
#include "BoundedWait.h"
#include "MainBundle.h"
#include "OpenAIFailure.h"
#include "PageEvidenceSupport.h"
#include "PreparedPageEvidence.h"
#include "ProviderFailure.h"
#include "ReadingFailure.h"

#include <fstream>

namespace tavlen::test {

namespace {

nlohmann::json shopPage()
{
    std::ifstream file(std::string(TAVLEN_TEST_DATA_DIR) + "/evidence-shop-page.json");
    return nlohmann::json::parse(file);
}

ReadingField field(const char* name, ReadingFieldType type, const char* instruction)
{
    ReadingField made = ReadingField::makeEmpty();
    made.name = name;
    made.type = type;
    made.instruction = instruction;
    return made;
}

} // namespace

ReaderFixture::ReaderFixture()
    : m_database(m_directory / "Tavlen.sqlite")
{
    overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR));
    const nlohmann::json page = shopPage();
    m_screenshot =
        pageScreenshot(page["image"]["width"], page["image"]["height"], rectFrom(page["contentRect"]), page["nodes"]);
    m_region = rectFrom(page["region"]);
    m_fields = {field("Price", ReadingFieldType::number, "The sale price / in euros"),
                field("Name", ReadingFieldType::text, "")};
    const PreparedPageEvidence evidence = PreparedPageEvidence::make(*m_screenshot, m_region);
    m_evidenceJSON = evidence.treeJSON;
    m_cropBase64 = base64Encode(evidence.png);
    for (const auto provider :
         {ModelSelection::Provider::openAI, ModelSelection::Provider::anthropic, ModelSelection::Provider::gemini}) {
        waitBounded(keyStore(provider)->save(std::string("key-") + ModelSelection::storedText(provider)));
    }
}

ReaderFixture::~ReaderFixture()
{
    flushDeferredDeletes();
    overrideMainBundleDirectory(std::nullopt);
}

std::string ReaderFixture::priceKey() const
{
    return m_fields[0].id.lowercaseString();
}

std::string ReaderFixture::nameKey() const
{
    return m_fields[1].id.lowercaseString();
}

const std::string& ReaderFixture::evidenceJSON() const
{
    return m_evidenceJSON;
}

const std::string& ReaderFixture::cropBase64() const
{
    return m_cropBase64;
}

std::shared_ptr<SQLiteProviderKeyStore> ReaderFixture::keyStore(ModelSelection::Provider provider)
{
    return std::make_shared<SQLiteProviderKeyStore>(m_database, provider);
}

std::vector<Reading> ReaderFixture::read(StepsReader& reader,
                                         const ModelSelection& selection,
                                         std::int64_t timeoutSeconds,
                                         std::stop_token stop)
{
    auto onUsage = [this](const ModelRequestReport& report) { m_reports.push_back(report); };
    return waitBounded(
        reader.read(ReadingRequest{selection, timeoutSeconds, m_fields, m_screenshot, m_region}, onUsage, stop));
}

std::string ReaderFixture::failureOf(StepsReader& reader, const ModelSelection& selection, std::int64_t timeoutSeconds)
{
    try {
        read(reader, selection, timeoutSeconds);
    } catch (const ProviderFailure& failure) {
        return failure.code() + ": " + failure.message();
    } catch (const OpenAIFailure& failure) {
        return failure.code() + ": " + failure.message();
    } catch (const ReadingFailure& failure) {
        return failure.message();
    }
    return "(read)";
}

std::vector<std::string> ReaderFixture::reportKinds() const
{
    std::vector<std::string> kinds;
    for (const ModelRequestReport& report : m_reports) {
        switch (report.kind()) {
        case ModelRequestReport::Kind::requestSent:
            kinds.push_back("requestSent");
            break;
        case ModelRequestReport::Kind::usage:
            kinds.push_back("usage");
            break;
        case ModelRequestReport::Kind::model:
            kinds.push_back("model");
            break;
        case ModelRequestReport::Kind::requestNotBilled:
            kinds.push_back("requestNotBilled");
            break;
        }
    }
    return kinds;
}

std::optional<ModelUsage> ReaderFixture::reportedUsage() const
{
    for (auto report = m_reports.rbegin(); report != m_reports.rend(); ++report) {
        if (report->usage()) {
            return report->usage();
        }
    }
    return std::nullopt;
}

std::vector<Reading> ReaderFixture::expectedReadings(const std::vector<ReadingField>& fields)
{
    return {Reading{fields[0].id, "Price", ReadingValue::ofNumber(19.99)},
            Reading{fields[1].id, "Name", ReadingValue::ofText("Café / Crème")}};
}

} // namespace tavlen::test
