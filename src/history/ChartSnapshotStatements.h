#pragma once

// The statements of the chart snapshot, in the order they run (after the monitor lookup). Each takes the monitor id
// as lower-case text first; the last two then take the window's start and end.
namespace tavlen::chart_statements {

inline constexpr const char* earliestCheck = "SELECT min(started_at_ms) FROM monitor_checks WHERE monitor_id = ?";
inline constexpr const char* savedWorkflow =
    "SELECT workflow_json, format_version FROM monitor_steps WHERE monitor_id = ?";
inline constexpr const char* latestStoredFields =
    "WITH latest AS (\n"
    "    SELECT o.field_id, o.field_name, o.value_type,\n"
    "        row_number() OVER (PARTITION BY o.field_id ORDER BY r.started_at_ms DESC, r.id DESC) AS position\n"
    "    FROM check_readings o JOIN monitor_checks r ON r.id = o.check_id\n"
    "    WHERE r.monitor_id = ?\n"
    ")\n"
    "SELECT field_id, CAST(field_name AS BLOB) AS field_name_bytes, value_type FROM latest WHERE position = 1";
inline constexpr const char* windowReadings =
    "WITH timeline AS (\n"
    "    SELECT id, started_at_ms, row_number() OVER (ORDER BY started_at_ms, id) AS ordinal\n"
    "    FROM monitor_checks WHERE monitor_id = ?\n"
    "), keys AS (\n"
    "    SELECT r.id AS check_id, r.started_at_ms, r.ordinal, o.field_id,\n"
    "        CASE WHEN r.started_at_ms < ? THEN 0 WHEN r.started_at_ms < ? THEN 1 ELSE 2 END AS region\n"
    "    FROM timeline r JOIN check_readings o ON o.check_id = r.id\n"
    "), ranked AS (\n"
    "    SELECT *,\n"
    "        row_number() OVER (PARTITION BY field_id, region ORDER BY started_at_ms, check_id) AS first_position,\n"
    "        row_number() OVER (PARTITION BY field_id, region ORDER BY started_at_ms DESC, check_id DESC) AS "
    "last_position\n"
    "    FROM keys\n"
    ")\n"
    "SELECT k.check_id, k.field_id, k.started_at_ms, k.ordinal, o.value_type, o.number_value, o.text_value,\n"
    "    CAST(o.field_name AS BLOB) AS field_name_bytes, CAST(o.text_value AS BLOB) AS text_bytes\n"
    "FROM ranked k JOIN check_readings o ON o.check_id = k.check_id AND o.field_id = k.field_id\n"
    "WHERE k.region = 1 OR (k.region = 0 AND k.last_position = 1) OR (k.region = 2 AND k.first_position = 1)\n"
    "ORDER BY k.started_at_ms, k.check_id, o.position";
inline constexpr const char* windowChecks =
    "SELECT id, started_at_ms, CAST(error_code AS BLOB) AS code_bytes,\n"
    "    CAST(error_message AS BLOB) AS message_bytes\n"
    "FROM monitor_checks WHERE monitor_id = ? AND started_at_ms >= ? AND started_at_ms < ?\n"
    "ORDER BY started_at_ms, id";

} // namespace tavlen::chart_statements
