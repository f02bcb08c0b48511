#include "resources/accelerator_resources.h"

#include "resources/resource_ids.h"

namespace {

// The Sites (190) and PageMarks (191) windows take the same keys; Esc and Ctrl+W close every
// tool window.
const std::vector<Accelerator> kWindowKeys = {
    {'T', true, res::kCmdAssignToTopics},   {kVkDelete, false, res::kCmdDeletePageMarks},
    {kVkF2, false, res::kCmdEditPageMarks}, {'W', true, res::kCmdClose},
    {kVkEscape, false, res::kCmdClose},
};

// The Topics window (189).
const std::vector<Accelerator> kTopicsKeys = {
    {kVkDelete, false, res::kCmdDeleteTopic},
    {kVkF2, false, res::kCmdEditTopic},
    {'W', true, res::kCmdClose},
    {kVkEscape, false, res::kCmdClose},
};

}  // namespace

std::vector<Accelerator> LoadAcceleratorResource(int number) {
  switch (number) {
    case res::kAccelSites:
    case res::kAccelPageMarks:
      return kWindowKeys;
    case res::kAccelTopics:
      return kTopicsKeys;
    default:
      return {};
  }
}
