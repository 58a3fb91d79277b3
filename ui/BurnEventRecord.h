#pragma once
// BurnEventRecord: the data of one burn event that does not fit into a window message's two
// parameters. The controller queues it in the BurnWindowChannel and posts the message with
// the record's address; the window takes it out when it handles the message. Which fields
// mean something depends on the message (see BurnMessages.h).
#include <windows.h>

#include <cstdint>
#include <string>

struct BurnEventRecord {
    std::int32_t position = -1; // playlist position from 0 (track events), -1 when unknown
    std::int32_t stage = 0;     // stage code (stage events)
    std::int32_t percent1 = 0;  // the only percentage, or the first of two
    std::int32_t percent2 = 0;
    HRESULT code = S_OK;
    std::string path;
    std::string text;
};
