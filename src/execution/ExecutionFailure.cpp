#include "ExecutionFailure.h"

#include "CancelledError.h"
#include "ExecutionLog.h"
#include "ExecutionText.h"
#include "OpenAIFailure.h"
#include "ProviderFailure.h"

#include <stdexcept>

namespace tavlen {

MonitorCheckFailure cancelledFailure()
{
    return MonitorCheckFailure(execution_code::cancelled, execution_text::cancelled);
}

MonitorCheckFailure checkFailureOf(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const CancelledError&) {
        // Also when nobody asked to stop: the browser session cancels its own operations when Chrome ends it.
        return cancelledFailure();
    } catch (const ProviderFailure& failure) {
        return MonitorCheckFailure(failure.code(), failure.what());
    } catch (const OpenAIFailure& failure) {
        return MonitorCheckFailure(failure.code(), failure.what());
    } catch (const std::exception& failure) {
        return MonitorCheckFailure(execution_code::executionFailed, failure.what());
    } catch (...) {
        qCWarning(executionLog) << "A step failed with an error of unknown type";
        return MonitorCheckFailure(execution_code::executionFailed, execution_text::unknownFailure);
    }
}

} // namespace tavlen
