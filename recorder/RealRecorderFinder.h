#pragma once
// RealRecorderFinder: the system's CD recorders as the recording API lists them, each made a
// RealRecorder: those with a drive letter that write CDs, with what they can read and write
// (disc-at-once when the raw writer takes cooked subcode). Asked when the engine starts; the
// calling thread must be in the multithreaded apartment. Stateless.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "recorder/RealRecorder.h"

class RealRecorderFinder {
public:
    // None when the API is missing (as under Wine). clientName: who takes the recorders, as
    // other programs see it.
    static std::vector<std::shared_ptr<RealRecorder>> FindAll(const std::wstring& clientName);

private:
    // What the engine lists of one recorder; none when it has no letter or writes no CD.
    // Throws EngineFailure when the API refuses a question.
    static std::optional<RealRecorder::Description> Describe(const std::wstring& uniqueId);
};
