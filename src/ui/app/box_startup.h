// The programmer box the window opens: with several connected it opens the
// one --device names and no other, and without --device none at all until
// the user starts it with one.
#pragma once

#include <string>
#include <vector>

namespace tarnwick {

class BoxSelector;
class Session;

// What the window says about the choice: which box is in use when --device
// chose one, the list of boxes when the user has to choose or --device names
// none of them; no lines when there was nothing to choose.
struct StartBoxNotice {
  std::vector<std::string> lines;
  bool withheld = false;  // no box is opened
};

// Chooses on `selector` the box `wanted` (the --device word, empty when not
// given) names, before the window's first job opens one.
StartBoxNotice ChooseStartBox(BoxSelector& selector, const std::string& wanted);

// Shows the first line in the status line (as an error when no box is
// opened) and puts every line into the log pane once.
void ShowStartBoxNotice(Session& session, const StartBoxNotice& notice);

}  // namespace tarnwick
