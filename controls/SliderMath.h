// Arithmetic shared by the sliders: ratios that stay finite for empty ranges and zero sizes,
// truncation that saturates instead of overflowing, and chains of linked sliders that stop at a
// cycle.
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace slider {

// Truncates toward zero, saturating to the int range; NaN gives 0.
inline int Truncate(double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

// a + b, saturating to the int range.
inline int Sum(long long a, long long b) {
  return static_cast<int>(std::clamp(a + b, static_cast<long long>(INT_MIN), static_cast<long long>(INT_MAX)));
}

// part / whole, or 0 when the whole is 0.
inline double Ratio(double part, double whole) { return whole == 0.0 ? 0.0 : part / whole; }

// The position of a value within minimum..maximum; 0 for an empty range.
inline double RatioOfValue(int value, int minimum, int maximum) {
  return Ratio(static_cast<double>(value) - minimum, static_cast<double>(maximum) - minimum);
}

// The value at a ratio, rounded half up and truncated.
inline int ValueAtRatio(double ratio, int minimum, int maximum) {
  return Truncate(minimum + (static_cast<double>(maximum) - minimum) * ratio + 0.5);
}

// Limits v to lower..upper, the lower bound first, so that an inverted range gives the upper one.
inline int Limit(int v, int lower, int upper) { return std::min(std::max(v, lower), upper); }

// Applies f to every member of the chain that starts at head, the last member first and the head
// last; a member that links back into the chain ends it.
template <class T, class F>
void ForChain(T* head, F f) {
  std::vector<T*> members;
  for (T* s = head; s && std::find(members.begin(), members.end(), s) == members.end(); s = s->GetLinkedButton()) {
    members.push_back(s);
  }
  for (auto it = members.rbegin(); it != members.rend(); ++it) f(**it);
}

}  // namespace slider
