"""The one table every benchmark reports into: a ratio to a baseline
measured in the same run, with both raw figures and their unit."""
from dataclasses import dataclass, field
from typing import List, Tuple


@dataclass
class Table:
    rows: List[Tuple[str, str, float, float, float, str]] = field(default_factory=list)

    def add(self, section: str, name: str, ratio: float, ours: float, baseline: float, unit: str):
        self.rows.append((section, name, ratio, ours, baseline, unit))

    def note(self, section: str, text: str):
        """A line that is not a ratio (a finding the figures need)."""
        self.rows.append((section, text, float("nan"), float("nan"), float("nan"), ""))

    def text(self) -> str:
        lines = [f"{'':<8} {'benchmark':<52} {'ratio':>9} {'ours':>11} {'baseline':>11}  unit"]
        for section, name, ratio, ours, baseline, unit in self.rows:
            if ratio != ratio:  # a note
                lines.append(f"{section:<8} {name}")
            else:
                lines.append(f"{section:<8} {name:<52} {ratio:>9.3f} {ours:>11.3f} {baseline:>11.3f}  {unit}")
        return "\n".join(lines)
