#include "core/device/job_table.h"

namespace tarnwick {

bool JobTable::Add(JobRow row) {
  const std::uint8_t code = JobByte(row.code);
  if (code == JobByte(Job::Idle) || !row.run) return false;
  return rows_.emplace(code, std::move(row)).second;
}

const JobRow* JobTable::Find(std::uint8_t code) const {
  const auto it = rows_.find(code);
  return it == rows_.end() ? nullptr : &it->second;
}

const JobRow* JobTable::FindByStopButton(int buttonId) const {
  for (const auto& [code, row] : rows_) {
    if (row.stopButton != 0 && row.stopButton == buttonId) return &row;
  }
  return nullptr;
}

std::vector<Job> JobTable::Codes() const {
  std::vector<Job> out;
  out.reserve(rows_.size());
  for (const auto& [code, row] : rows_) out.push_back(row.code);
  return out;
}

}  // namespace tarnwick
