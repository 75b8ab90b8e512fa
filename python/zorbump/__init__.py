"""The match of Zorbump for learning agents: exact, headless, many matches in one call.

zorbump.Match      one match, ticked with the virtual-key codes held in each tick
zorbump.VecMatch   n matches stepped together from NumPy actions
zorbump.env        VolleyEnv and SelfPlayEnv, with Gymnasium's Env interface
"""

from ._zorbump import ACTION_COUNT, MAX_THREADS, OBSERVATION_SIZE, Match, Snapshot, VecMatch

# The virtual-key codes of the two key sets: the first person's letter keys and the second's keypad.
LETTER_KEYS = {"up": 0x59, "down": 0x4E, "left": 0x47, "right": 0x4A, "hit": 0x5A}
KEYPAD_KEYS = {"up": 0x68, "down": 0x62, "left": 0x64, "right": 0x66, "hit": 0x26}

# The bits of an action's combination number, as VecMatch takes it.
UP, DOWN, BACK, FRONT, HIT = 1, 2, 4, 8, 16


def action_keys(action, side, key_set):
    """The virtual-key codes an action (0 to 31) holds for a character on side 0 or 1 driven by
    key set 0 (letters) or 1 (keypad): back is the key away from the net."""
    keys = LETTER_KEYS if key_set == 0 else KEYPAD_KEYS
    back, front = ("left", "right") if side == 0 else ("right", "left")
    names = [("up", UP), ("down", DOWN), (back, BACK), (front, FRONT), ("hit", HIT)]
    return [keys[name] for name, bit in names if action & bit]


# The environments, after everything they take from here.
from . import env  # noqa: E402

__all__ = ["env", "Match", "VecMatch", "Snapshot", "OBSERVATION_SIZE", "ACTION_COUNT", "MAX_THREADS",
           "LETTER_KEYS", "KEYPAD_KEYS", "UP", "DOWN", "BACK", "FRONT", "HIT", "action_keys"]
