"""The one table every benchmark reports into: a ratio to a baseline
measured in the same run, with both raw figures, their unit and, where the
row has one, its goal for the ratio ("<= 1.5": at most; ">= 0.95": at least)."""
from dataclasses import dataclass, field
from typing import List, Optional, Tuple

Goal = Tuple[str, float]  # ("<=" or ">=", bound)


def at_most(bound: float) -> Goal:
    return ("<=", bound)


def at_least(bound: float) -> Goal:
    return (">=", bound)


def meets(ratio: float, goal: Goal) -> bool:
    kind, bound = goal
    return ratio <= bound if kind == "<=" else ratio >= bound


@dataclass
class Table:
    rows: List[Tuple[str, str, float, float, float, str, Optional[Goal]]] = field(default_factory=list)

    def add(self, section: str, name: str, ratio: float, ours: float, baseline: float, unit: str,
            goal: Optional[Goal] = None):
        self.rows.append((section, name, ratio, ours, baseline, unit, goal))

    def note(self, section: str, text: str):
        """A line that is not a ratio (a finding the figures need)."""
        self.rows.append((section, text, float("nan"), float("nan"), float("nan"), "", None))

    def text(self) -> str:
        lines = [f"{'':<8} {'benchmark':<56} {'ratio':>9} {'goal':>12} {'ours':>11} {'baseline':>11}  unit"]
        for section, name, ratio, ours, baseline, unit, goal in self.rows:
            if ratio != ratio:  # a note
                lines.append(f"{section:<8} {name}")
                continue
            target = f"{goal[0]} {goal[1]:g} {'met' if meets(ratio, goal) else 'NOT'}" if goal else "reference"
            lines.append(f"{section:<8} {name:<56} {ratio:>9.3f} {target:>12} {ours:>11.3f} {baseline:>11.3f}  {unit}")
        return "\n".join(lines)
