#include "MonitorOrder.h"

#include "JsonParse.h"
#include "JsonWriter.h"
#include "MonitorStoreError.h"
#include "StorageMessages.h"

#include <unordered_map>
#include <unordered_set>

namespace tavlen {

std::vector<Monitor> orderedMonitors(std::vector<Monitor> byCreation, std::string_view storedOrder)
{
    const std::optional<nlohmann::json> order = parseJson(storedOrder);
    if (!order) {
        throw MonitorStoreError::storage();
    }
    if (!order->is_array()) {
        throw MonitorStoreError::invalidStoredData();
    }
    std::unordered_map<Uuid, std::size_t> unplaced;
    for (std::size_t i = 0; i < byCreation.size(); ++i) {
        unplaced.emplace(byCreation[i].id, i);
    }
    std::vector<Monitor> result;
    result.reserve(byCreation.size());
    std::vector<bool> placed(byCreation.size(), false);
    for (const nlohmann::json& element : *order) {
        const std::optional<Uuid> id = element.is_string() ? Uuid::parse(element.get<std::string>()) : std::nullopt;
        const auto found = id ? unplaced.find(*id) : unplaced.end();
        if (found == unplaced.end()) {
            continue;
        }
        placed[found->second] = true;
        result.push_back(std::move(byCreation[found->second]));
        unplaced.erase(found);
    }
    for (std::size_t i = 0; i < byCreation.size(); ++i) {
        if (!placed[i]) {
            result.push_back(std::move(byCreation[i]));
        }
    }
    return result;
}

std::string encodeMonitorOrder(const std::vector<Uuid>& ids)
{
    std::unordered_set<Uuid> seen;
    nlohmann::json order = nlohmann::json::array();
    for (const Uuid& id : ids) {
        if (!seen.insert(id).second) {
            throw MonitorStoreError::validation(storage_messages::monitorListedTwice);
        }
        order.push_back(id.lowercaseString());
    }
    return writeJson(order);
}

} // namespace tavlen
