"""The match as reinforcement-learning environments with Gymnasium's Env interface.

VolleyEnv     one agent against the computer (the other three characters)
SelfPlayEnv   one agent on each side, the other characters the computer

Both work without Gymnasium; where it is installed they are Gymnasium environments, registered as
"Zorbump-v0" and "ZorbumpSelfPlay-v0". An action is a combination number 0 to 31 of the five
controls (bit 0 up, 1 down, 2 back, 3 front, 4 hit); an observation is 78 float32 values from the
agent's own side (see the README). A reward is +1 for a point of the agent's side, -1 for a point of
the other side. An episode ends at a side's 15th point, or is cut short at max_ticks.
"""

import numpy as np

from . import OBSERVATION_SIZE, ACTION_COUNT, VecMatch

try:
    import gymnasium
    from gymnasium import spaces as _spaces

    _Env = gymnasium.Env
except ImportError:
    gymnasium = None
    from . import spaces as _spaces

    _Env = object

DEFAULT_LINEUP = "0/0,1/0,0/1,1/1"


class _MatchEnv(_Env):
    metadata = {"render_modes": ["rgb_array"], "render_fps": 30}

    def __init__(self, lineup, people, max_ticks, render_mode):
        if render_mode not in (None, "rgb_array"):
            raise ValueError(f"render_mode must be None or \"rgb_array\", not {render_mode!r}.")
        self.render_mode = render_mode
        self._match = VecMatch(1, lineup=lineup, people=people, max_ticks=max_ticks)
        self._last_frame = None

    def _reset_match(self, seed):
        if gymnasium is not None:
            super().reset(seed=seed)
        self._last_frame = None
        return self._match.reset(seed=seed)[0]

    def _step_match(self, actions):
        observations, rewards, terminated, truncated, info = self._match.step(actions)
        ended = bool(terminated[0] or truncated[0])
        if ended:
            # The match has already started again; what the agent sees is how it ended.
            observations = info["final_observation"]
        return observations[0], rewards[0], bool(terminated[0]), bool(truncated[0])

    def render(self):
        """The match window's picture: (360, 480, 3) uint8 RGB."""
        return self._match.frame(0)

    def close(self):
        pass

    @property
    def unwrapped(self):
        return self


class VolleyEnv(_MatchEnv):
    """One agent drives one character (character, 0 to 3); the computer drives the others."""

    def __init__(self, character=0, lineup=DEFAULT_LINEUP, max_ticks=20000, render_mode=None):
        super().__init__(lineup, (character,), max_ticks, render_mode)
        self.action_space = _spaces.Discrete(ACTION_COUNT)
        self.observation_space = _spaces.Box(-np.inf, np.inf, shape=(OBSERVATION_SIZE,), dtype=np.float32)

    def reset(self, *, seed=None, options=None):
        """Starts a new match (seeded, or going on with the random source) -> (observation, info)."""
        return self._reset_match(seed)[0], {}

    def step(self, action):
        """One tick -> (observation, reward, terminated, truncated, info)."""
        observation, reward, terminated, truncated = self._step_match(np.asarray(action).reshape(1, 1))
        return observation[0], float(reward[0]), terminated, truncated, {}


class SelfPlayEnv(_MatchEnv):
    """Two agents, one on each side (people: their two characters); the computer drives the others.
    Actions, observations and rewards come in pairs, in the order of people."""

    def __init__(self, people=(0, 1), lineup=DEFAULT_LINEUP, max_ticks=20000, render_mode=None):
        super().__init__(lineup, people, max_ticks, render_mode)
        if len(self._match.people) != 2:
            raise ValueError("SelfPlayEnv needs two characters in people, one on each side.")
        trace = self._match.state(0)
        first, second = (trace["Gl_Players"][c]["Side"] for c in self._match.people)
        if first == second:
            raise ValueError(f"SelfPlayEnv needs its two characters on different sides, not both on side {first}.")
        self.action_space = _spaces.MultiDiscrete([ACTION_COUNT, ACTION_COUNT])
        self.observation_space = _spaces.Box(-np.inf, np.inf, shape=(2, OBSERVATION_SIZE), dtype=np.float32)

    def reset(self, *, seed=None, options=None):
        """Starts a new match -> (observations (2, 78), info)."""
        return self._reset_match(seed), {}

    def step(self, actions):
        """One tick of both agents' actions (2,) -> (observations (2, 78), rewards (2,),
        terminated, truncated, info)."""
        observations, rewards, terminated, truncated = self._step_match(np.asarray(actions).reshape(1, -1))
        return observations, rewards, terminated, truncated, {}


def _register():
    if gymnasium is None:
        return False
    for name, entry in (("Zorbump-v0", "zorbump.env:VolleyEnv"), ("ZorbumpSelfPlay-v0", "zorbump.env:SelfPlayEnv")):
        if name not in gymnasium.envs.registry:
            gymnasium.register(id=name, entry_point=entry)
    return True


# Whether the environments are registered with Gymnasium (only where it is installed).
REGISTERED = _register()
