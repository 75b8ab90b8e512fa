#!/usr/bin/env python3
"""The Python module zorbump as a researcher uses it, held against zorbump-sim: traces and pictures
of the same keys, many matches against one, snapshots, the environments' contract, bad input.

Run by CTest with PYTHONPATH at the build's python/ and ZORBUMP_SIM naming the tool."""

import json
import os
import subprocess
import sys
import tempfile
import unittest
import zlib

import numpy as np

import zorbump
from zorbump import env

SIM = os.environ["ZORBUMP_SIM"]
LETTERS = list(zorbump.LETTER_KEYS.values())
KEYPAD = list(zorbump.KEYPAD_KEYS.values())


def run_sim(*args):
    """The tool's standard output, lines; the test fails on any other ending."""
    done = subprocess.run([SIM, *args], capture_output=True, text=True, timeout=120)
    if done.returncode != 0:
        raise AssertionError(f"zorbump-sim {' '.join(args)}: status {done.returncode}: {done.stderr}")
    return done.stdout.splitlines()


def sim_args(lineup, people, seed):
    args = ["--lineup", lineup]
    if people:
        args += ["--people", ",".join(map(str, people))]
    if seed is not None:
        args += ["--seed", str(seed)]
    return args


def random_keys(rng, ticks):
    """Keys held in runs of a few ticks, both key sets and a few keys the match never reads, so
    that jumps, swings, dives, charges and the command inputs all happen."""
    held, script = set(), []
    for _ in range(ticks):
        for code in LETTERS + KEYPAD + [0x20, 0x41, 0xFF]:
            if rng.random() < 0.08:
                held ^= {code}
        script.append(sorted(held))
    return script


def write_keys(folder, script):
    path = os.path.join(folder, "keys.txt")
    with open(path, "w") as out:
        out.writelines(" ".join(map(str, line)) + "\n" for line in script)
    return path


def read_png(path):
    """The tool's PNG: 8-bit RGB rows without filtering, as (height, width, 3) uint8."""
    with open(path, "rb") as file:
        data = file.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    chunks, at = {}, 8
    while at < len(data):
        length = int.from_bytes(data[at:at + 4], "big")
        kind = data[at + 4:at + 8]
        chunks[kind] = chunks.get(kind, b"") + data[at + 8:at + 8 + length]
        at += 12 + length
    width, height = int.from_bytes(chunks[b"IHDR"][0:4], "big"), int.from_bytes(chunks[b"IHDR"][4:8], "big")
    rows = np.frombuffer(zlib.decompress(chunks[b"IDAT"]), np.uint8).reshape(height, 1 + width * 3)
    assert not rows[:, 0].any(), "a filtered row"
    return rows[:, 1:].reshape(height, width, 3)


def one_sentence(test, error):
    text = str(error)
    test.assertTrue(text and "\n" not in text and text.endswith("."), repr(text))
    test.assertEqual(text.count(". "), 0, repr(text))


class MatchAgainstTheTool(unittest.TestCase):
    def test_key_scripts_give_the_tools_trace(self):
        cases = [("0/0,1/0,0/1,1/1", (0, 1), 7, 900), ("0/0,1/0,0/1,0/2", (3, 1), None, 600),
                 ("1/0,0/0,1/1,1/2", (2,), 123456789, 600), ("0/1,1/1,0/0,1/0", (), 18446744073709551615, 600)]
        rng = np.random.default_rng(19)
        with tempfile.TemporaryDirectory() as folder:
            for lineup, people, seed, ticks in cases:
                script = random_keys(rng, ticks)
                lines = run_sim(*sim_args(lineup, people, seed), "--keys", write_keys(folder, script),
                                "--ticks", str(ticks), "--trace")
                match = zorbump.Match(lineup, people, seed)
                self.assertEqual(len(lines), ticks + 1)
                self.assertEqual(match.state(), json.loads(lines[0]))
                for tick, keys in enumerate(script, 1):
                    match.step(keys)
                    self.assertEqual(match.state(), json.loads(lines[tick]), f"{lineup} {people} tick {tick}")

    def test_a_whole_match_ends_where_the_tools_does(self):
        last = json.loads(run_sim("--seed", "4", "--trace")[-1])
        match = zorbump.Match(people=(), seed=4)
        while not match.over:
            match.step()
        self.assertEqual(match.state(), last)
        self.assertEqual(match.tick, 3546)
        with self.assertRaises(ValueError) as caught:
            match.step()
        one_sentence(self, caught.exception)

    def test_frames_are_the_tools_pictures(self):
        # A person charges a full gauge that flashes and empties while the computers play on.
        script = [[0x47, 0x4A, 0x5A]] * 60 + [[]] * 380
        match, states = zorbump.Match(people=(0,), seed=2), []
        for keys in script:
            before = match.state()
            match.step(keys)
            states.append((before, match.state()))
        def first(condition):
            return next(tick for tick, (before, after) in enumerate(states, 1) if condition(before, after))
        wanted = {
            "charging": first(lambda b, a: a["Gl_Players"][0]["State"] == 8),
            "white gauge": first(lambda b, a: a["Gl_Players"][0]["Power"] == 100 and a["Gl_Blink"] == 0),
            "gauge empties": first(lambda b, a: b["Gl_Players"][0]["FlashCount"] == 100),
            "rally booked": first(lambda b, a: b["Gl_PointWinner"] != -1 and a["Gl_PointWinner"] == -1),
            "ball dead": first(lambda b, a: a["Gl_PointWinner"] != -1),
        }
        with tempfile.TemporaryDirectory() as folder:
            keys = write_keys(folder, script)
            match = zorbump.Match(people=(0,), seed=2)
            for name, tick in sorted(wanted.items(), key=lambda item: item[1]):
                run_sim("--people", "0", "--seed", "2", "--keys", keys, "--ticks", str(tick),
                        "--frames", folder, "--every", str(tick))
                while match.tick < tick:
                    match.step(script[match.tick])
                picture = read_png(os.path.join(folder, f"frame-{tick:06d}.png"))
                self.assertTrue(np.array_equal(match.frame(), picture), f"{name} at tick {tick}")
            run_sim("--people", "0", "--seed", "2", "--keys", keys, "--ticks", "440", "--frames", folder,
                    "--every", "43")
            match = zorbump.Match(people=(0,), seed=2)
            for tick, keys_held in enumerate(script, 1):
                match.step(keys_held)
                if tick % 43 == 0:
                    picture = read_png(os.path.join(folder, f"frame-{tick:06d}.png"))
                    self.assertTrue(np.array_equal(match.frame(), picture), f"tick {tick}")
        court = zorbump.Match().frame()
        self.assertEqual((court.shape, court.dtype), ((360, 480, 3), np.dtype(np.uint8)))


class Snapshots(unittest.TestCase):
    def test_save_load_and_replay(self):
        rng = np.random.default_rng(5)
        script = random_keys(rng, 500)
        match = zorbump.Match(people=(0, 1), seed=3)
        for keys in script[:200]:
            match.step(keys)
        snapshot = match.save()
        self.assertEqual((snapshot.tick, snapshot.lineup, snapshot.people), (200, "0/0,1/0,0/1,1/1", (0, 1)))
        first = []
        for keys in script[200:]:
            match.step(keys)
            first.append((match.state(), match.frame()))
        # Back in the same match, and in another of the same line-up and people (another seed).
        for target in (match, zorbump.Match(people=(0, 1), seed=99)):
            target.load(snapshot)
            self.assertEqual(target.tick, 200)
            for (state, picture), keys in zip(first, script[200:]):
                target.step(keys)
                self.assertEqual(target.state(), state)
            self.assertTrue(np.array_equal(target.frame(), first[-1][1]))

    def test_a_snapshot_of_another_lineup_or_people_is_refused(self):
        snapshot = zorbump.Match(people=(0, 1)).save()
        for other in (zorbump.Match("0/0,1/0,0/1,0/2", (0, 1)), zorbump.Match(people=(1, 0)),
                      zorbump.Match(people=(0,))):
            with self.assertRaises(ValueError) as caught:
                other.load(snapshot)
            one_sentence(self, caught.exception)
            self.assertEqual(other.tick, 0)


class ManyMatches(unittest.TestCase):
    def batch_against_single(self, threads, bits):
        n, seed, ticks = 5, 11, 400
        batch = zorbump.VecMatch(n, people=(0, 1), seed=seed, threads=threads)
        singles = [zorbump.Match(people=(0, 1), seed=seed + i) for i in range(n)]
        rng = np.random.default_rng(threads)
        held = rng.integers(0, 32, size=(n, 2))
        for _ in range(ticks):
            change = rng.random((n, 2)) < 0.15
            held = np.where(change, rng.integers(0, 32, size=(n, 2)), held)
            actions = ((held[:, :, None] >> np.arange(5)) & 1) if bits else held
            observations, rewards, terminated, truncated, info = batch.step(actions)
            for i, single in enumerate(singles):
                sides = [single.state()["Gl_Players"][c]["Side"] for c in (0, 1)]
                keys = zorbump.action_keys(held[i, 0], sides[0], 0) + zorbump.action_keys(held[i, 1], sides[1], 1)
                single.step(keys)
                self.assertEqual(batch.state(i), single.state(), f"match {i} tick {single.tick}")
                self.assertTrue(np.array_equal(observations[i], single.observe()))
        self.assertTrue(np.array_equal(batch.frame(4), singles[4].frame()))

    def test_each_match_of_a_batch_is_the_single_match(self):
        for threads in range(1, zorbump.MAX_THREADS + 1):
            for bits in (False, True):
                with self.subTest(threads=threads, bits=bits):
                    self.batch_against_single(threads, bits)

    def test_threads_share_a_large_batch_stepping_each_match_once(self):
        # Several runs of matches for each thread, and a last run cut short: a match stepped twice
        # or skipped in a step would part from the one-thread batch at once.
        n, ticks = 300, 200
        one = zorbump.VecMatch(n, people=(0, 1), seed=5, threads=1)
        many = zorbump.VecMatch(n, people=(0, 1), seed=5, threads=zorbump.MAX_THREADS)
        rng = np.random.default_rng(9)
        for _ in range(ticks):
            actions = rng.integers(0, 32, size=(n, 2))
            for mine, theirs in zip(one.step(actions)[:4], many.step(actions)[:4]):
                self.assertTrue(np.array_equal(mine, theirs))
        self.assertTrue(np.array_equal(one.ticks, many.ticks))
        self.assertEqual(one.state(n - 1), many.state(n - 1))

    def test_a_finished_match_restarts_while_the_others_go_on(self):
        batch = zorbump.VecMatch(3, people=(), seed=40, threads=min(2, zorbump.MAX_THREADS))
        nothing = np.zeros((3, 0), np.int64)
        for step in range(10000):
            observations, rewards, terminated, truncated, info = batch.step(nothing)
            self.assertEqual((observations.shape, rewards.shape), ((3, 0, 78), (3, 0)))
            if terminated.any():
                break
        self.assertFalse(truncated.any())
        self.assertTrue(np.array_equal(info["_final_observation"], terminated))
        ticks = batch.ticks
        for i in range(3):
            if terminated[i]:
                self.assertEqual(ticks[i], 0)
                state = batch.state(i)
                self.assertEqual([t["Score"] for t in state["Gl_Teams"]], [0, 0])
            else:
                self.assertEqual(ticks[i], step + 1)
        # A restarted match goes on drawing: it does not replay the one before.
        restarted = int(np.flatnonzero(terminated)[0])
        again = zorbump.VecMatch(3, people=(), seed=40)
        for _ in range(200):
            batch.step(nothing)
            again.step(nothing)
        self.assertNotEqual(batch.state(restarted), again.state(restarted))

    def test_agents_final_observation_rewards_and_truncation(self):
        batch = zorbump.VecMatch(4, people=(0, 1), seed=8, max_ticks=700)
        rng = np.random.default_rng(8)
        observations = batch.observations()
        scored = 0
        for step in range(1, 701):
            before = observations
            observations, rewards, terminated, truncated, info = batch.step(rng.integers(0, 32, size=(4, 2)))
            if step < 700:
                self.assertFalse(truncated.any())
                mine, theirs = (observations[:, :, 75] - before[:, :, 75]), (observations[:, :, 76] - before[:, :, 76])
                self.assertTrue(np.allclose(rewards, np.rint((mine - theirs) * 15)))
                scored += int(np.abs(rewards).sum())
            self.assertTrue(np.array_equal(rewards[:, 0], -rewards[:, 1]))
        self.assertTrue(truncated.all() and not terminated.any())
        self.assertGreater(scored, 0)
        self.assertTrue(np.array_equal(batch.ticks, np.zeros(4)))
        final = info["final_observation"]
        self.assertTrue(np.array_equal(final[:, :, 75] * 15, np.rint(final[:, :, 75] * 15)))
        self.assertFalse(np.array_equal(final, observations))

    def test_observations_are_seen_from_each_side(self):
        batch = zorbump.VecMatch(1, people=(0, 1), seed=1)
        start = batch.observations()[0]
        # The first rally's rotation puts characters 0 and 1 in the middle of their sides, at x 104
        # and 344: both 104 from their own back wall.
        self.assertAlmostEqual(start[0, 0], 1.04, places=5)
        self.assertAlmostEqual(start[1, 0], 1.04, places=5)
        self.assertAlmostEqual(start[0, 68], 0.12, places=5)
        self.assertAlmostEqual(start[1, 68], 4.44, places=5)
        self.assertEqual((start[0, 77], start[1, 77]), (1.0, 0.0))
        self.assertEqual((start[0, 6], start[0, 4], start[0, 17 + 4], start[0, 34 + 4]), (1.0, 1.0, 1.0, 0.0))
        # Both walk toward the net: both come nearer it as each sees it.
        for _ in range(5):
            observations = batch.step(np.full((1, 2), zorbump.FRONT))[0][0]
        self.assertGreater(observations[0, 0], start[0, 0] + 0.3)
        self.assertAlmostEqual(observations[0, 0], observations[1, 0], places=5)

    def test_seeds(self):
        def run(seed):
            batch = zorbump.VecMatch(2, people=(0,), seed=seed)
            return np.stack([batch.step(np.full((2, 1), 16))[0] for _ in range(300)])
        self.assertTrue(np.array_equal(run(3), run(3)))
        self.assertFalse(np.array_equal(run(3), run(4)))
        both = run(3)
        self.assertFalse(np.array_equal(both[:, 0], both[:, 1]))
        reset = zorbump.VecMatch(2, people=(0,), seed=3)
        reset.step(np.zeros((2, 1), np.int64))
        self.assertTrue(np.array_equal(reset.reset(seed=3), zorbump.VecMatch(2, people=(0,), seed=3).observations()))


class BadInput(unittest.TestCase):
    def refused(self, make):
        with self.assertRaises(ValueError) as caught:
            make()
        one_sentence(self, caught.exception)

    def test_setups(self):
        for lineup in ("0/0,1/0,0/1", "0/0,0/1,0/2,0/0", "0/0,0/1,1/0,1/0", "0/0,0/1,0/2,1/3", "x", "", 5,
                       "0/0,1/0,0/1,1/1,"):
            self.refused(lambda: zorbump.Match(lineup=lineup))
            self.refused(lambda: zorbump.VecMatch(2, lineup=lineup))
        for people in ((4,), (1, 1), (0, 1, 2), "01", (-1,), (0.5,), 3):
            self.refused(lambda: zorbump.Match(people=people))
        for seed in (-1, 2 ** 64, "a", 1.5):
            self.refused(lambda: zorbump.Match(seed=seed))
        for n in (0, -3, 2 ** 40, 2.0):
            self.refused(lambda: zorbump.VecMatch(n))
        for threads in (0, zorbump.MAX_THREADS + 1):
            self.refused(lambda: zorbump.VecMatch(4, threads=threads))
        self.refused(lambda: zorbump.VecMatch(4, max_ticks=0))
        self.refused(lambda: env.SelfPlayEnv(people=(0, 2)))

    def test_keys(self):
        match = zorbump.Match()
        for keys in ([256], [-1], ["a"], [1.5], 5, "YZ"):
            self.refused(lambda: match.step(keys))
        self.assertEqual(match.tick, 0)
        match.step(np.array([0x59, 0x5A]))
        self.assertEqual(match.tick, 1)

    def test_actions(self):
        batch = zorbump.VecMatch(2, people=(0, 1))
        for actions in (np.zeros((2, 2), np.float32), np.zeros((2, 3), np.int64), np.zeros((2, 2, 4), np.int64),
                        np.zeros((3, 2), np.int64), np.zeros(2, np.int64), np.full((2, 2), 32), np.full((2, 2), -1),
                        np.full((2, 2, 5), 2), np.full((2, 2), 2 ** 64 - 1, np.uint64), "up", [[1, 2], [3]]):
            self.refused(lambda: batch.step(actions))
        self.assertTrue(np.array_equal(batch.ticks, [0, 0]))
        batch.step([[1, 2], [3, 31]])
        batch.step(np.ones((2, 2, 5), bool))
        self.refused(lambda: batch.state(2))
        self.refused(lambda: batch.frame(-1))
        self.refused(lambda: env.VolleyEnv().step(32))


class Environments(unittest.TestCase):
    def test_volley_env_contract(self):
        volley = env.VolleyEnv(max_ticks=300, render_mode="rgb_array")
        observation, info = volley.reset(seed=6)
        self.assertEqual((observation.shape, observation.dtype), ((78,), np.dtype(np.float32)))
        self.assertIn(observation, volley.observation_space)
        self.assertIsInstance(info, dict)
        volley.action_space.seed(6)
        for step in range(1, 301):
            observation, reward, terminated, truncated, info = volley.step(volley.action_space.sample())
            self.assertIn(observation, volley.observation_space)
            self.assertIsInstance(reward, float)
            self.assertIn(reward, (-1.0, 0.0, 1.0))
            self.assertIsInstance(terminated, bool)
            self.assertIsInstance(info, dict)
            if terminated or truncated:
                break
        self.assertEqual((step, truncated), (300, True))
        picture = volley.render()
        self.assertEqual((picture.shape, picture.dtype), ((360, 480, 3), np.dtype(np.uint8)))
        self.assertTrue(np.array_equal(volley.reset(seed=6)[0], env.VolleyEnv().reset(seed=6)[0]))
        volley.close()

    def test_self_play_env_contract(self):
        selfplay = env.SelfPlayEnv()
        observations, info = selfplay.reset(seed=1)
        self.assertEqual(observations.shape, (2, 78))
        self.assertIn(observations, selfplay.observation_space)
        total = np.zeros(2)
        for _ in range(2000):
            observations, rewards, terminated, truncated, info = selfplay.step(selfplay.action_space.sample())
            self.assertEqual((observations.shape, rewards.shape), ((2, 78), (2,)))
            total += rewards
        self.assertEqual(total[0], -total[1])

    def test_registration(self):
        if env.gymnasium is None:
            print("\nGymnasium is not installed: the environments stay unregistered, and work alone", file=sys.stderr)
            self.assertFalse(env.REGISTERED)
            self.assertIs(type(env.VolleyEnv().action_space), zorbump.spaces.Discrete)
        else:
            import gymnasium
            from gymnasium.utils.env_checker import check_env
            self.assertTrue(env.REGISTERED)
            check_env(gymnasium.make("Zorbump-v0").unwrapped)
            self.assertEqual(gymnasium.make("ZorbumpSelfPlay-v0").reset(seed=0)[0].shape, (2, 78))


if __name__ == "__main__":
    unittest.main(verbosity=2)
