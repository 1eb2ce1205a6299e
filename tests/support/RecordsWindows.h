#pragma once

#include <memory>

class TXscxForm;
class TXsmxForm;
class TXstjForm;

namespace testsupport {

// The three sales-record windows on the working folder's data.mdb, created in the program's
// order and introduced to one another by the program's own code.
struct RecordsWindows
{
    RecordsWindows();
    ~RecordsWindows();
    RecordsWindows(const RecordsWindows&) = delete;
    RecordsWindows& operator=(const RecordsWindows&) = delete;

    std::unique_ptr<TXstjForm> statistics;
    std::unique_ptr<TXsmxForm> detail;
    std::unique_ptr<TXscxForm> query;
};

} // namespace testsupport
