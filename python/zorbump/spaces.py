"""The two kinds of space the environments need, for when Gymnasium is not installed: the same
attributes and methods as Gymnasium's Discrete, MultiDiscrete and Box, and no more."""

import numpy as np


class Discrete:
    """The whole numbers 0 to n - 1."""

    def __init__(self, n, seed=None):
        self.n = int(n)
        self.shape = ()
        self.dtype = np.dtype(np.int64)
        self.np_random = np.random.default_rng(seed)

    def seed(self, seed=None):
        self.np_random = np.random.default_rng(seed)
        return [seed]

    def sample(self):
        return np.int64(self.np_random.integers(self.n))

    def contains(self, x):
        if isinstance(x, np.ndarray):
            if x.shape != () or x.dtype.kind not in "iu":
                return False
            x = int(x)
        return isinstance(x, (int, np.integer)) and 0 <= x < self.n

    def __contains__(self, x):
        return self.contains(x)

    def __repr__(self):
        return f"Discrete({self.n})"


class MultiDiscrete:
    """One whole number 0 to nvec[i] - 1 in each place."""

    def __init__(self, nvec, seed=None):
        self.nvec = np.asarray(nvec, dtype=np.int64)
        self.shape = self.nvec.shape
        self.dtype = np.dtype(np.int64)
        self.np_random = np.random.default_rng(seed)

    def seed(self, seed=None):
        self.np_random = np.random.default_rng(seed)
        return [seed]

    def sample(self):
        return self.np_random.integers(self.nvec).astype(np.int64)

    def contains(self, x):
        x = np.asarray(x)
        return x.shape == self.shape and x.dtype.kind in "iu" and bool(np.all((x >= 0) & (x < self.nvec)))

    def __contains__(self, x):
        return self.contains(x)

    def __repr__(self):
        return f"MultiDiscrete({self.nvec.tolist()})"


class Box:
    """Arrays of one shape and dtype between low and high."""

    def __init__(self, low, high, shape, dtype=np.float32, seed=None):
        self.shape = tuple(shape)
        self.dtype = np.dtype(dtype)
        self.low = np.full(self.shape, low, dtype=self.dtype)
        self.high = np.full(self.shape, high, dtype=self.dtype)
        self.np_random = np.random.default_rng(seed)

    def seed(self, seed=None):
        self.np_random = np.random.default_rng(seed)
        return [seed]

    def sample(self):
        low = np.where(np.isfinite(self.low), self.low, -1.0)
        high = np.where(np.isfinite(self.high), self.high, 1.0)
        return self.np_random.uniform(low, high).astype(self.dtype)

    def contains(self, x):
        x = np.asarray(x)
        return (x.shape == self.shape and np.can_cast(x.dtype, self.dtype)
                and bool(np.all((x >= self.low) & (x <= self.high))))

    def __contains__(self, x):
        return self.contains(x)

    def __repr__(self):
        return f"Box({self.shape}, {self.dtype})"
