// Finding out which chip sits in the socket: probe the access modes, read
// the identification after each and look it up in the catalogue.
#pragma once

#include <cstdint>
#include <vector>

#include "core/operations/op_context.h"

namespace tarnwick {

// Result codes of DetectChip.
inline constexpr int kDetectFound = 1;       // a catalogue record was selected
inline constexpr int kDetectFamilyOnly = 0;  // family answer, or not in the catalogue
inline constexpr int kDetectNoAnswer = -1;   // refusal, USB error, or no probe answered
inline constexpr int kDetectNoDevice = -2;   // box missing or cannot be opened

// `quiet` is the start-up / device-change form: status lines only, no boxes.
int DetectChip(OperationContext& ctx, bool checkLink, bool quiet);

// The step every chip operation starts with: the user-started detection when
// automatic identification is on, otherwise only a link check. False means
// the operation must stop.
bool AutoIdentify(OperationContext& ctx);

// Job 35: sends the quad-enable setting of the selected chip family.
bool ConfigureQuadEnable(OperationContext& ctx);

// The probe-5 evaluation: drop repeats and impossible answers.
std::vector<std::uint32_t> EvaluateIdentifications(std::vector<std::uint32_t> ids);

// "%6X" with blanks turned to '0'.
std::string IdText(std::uint32_t id);

}  // namespace tarnwick
