"""pseudo_semistabilizers against the plain Python model on a few hundred seeded Chern characters."""

import random

import pytest

import search_model
from varnolt import pseudo_semistabilizers

WORK_LIMIT = 150_000  # ranks the model visits per case; keeps the whole file to a few seconds
RANKS = [r for r in range(-3, 11) if r != 0]


def rational_nonzero_rank(rng):
    """Built from √(c² − r·d) = s, so that β₋ = (c − s)/r is rational and X = n·s stays small."""
    while True:
        r, s, c = rng.choice(RANKS), rng.choice([0, 1, 1, 2, 2, 3, 3, 4, 5, 6, 7, 8, 10, 12]), rng.randint(-40, 40)
        if (c * c - s * s) % r == 0 and abs((c * c - s * s) // r) <= 60:
            return r, c, (c * c - s * s) // r


def rank_zero(rng):
    return 0, rng.choice([c for c in range(-12, 13) if c != 0] + [0]), rng.randint(-40, 40)


def anything(rng):
    return rng.randint(-3, 10), rng.randint(-40, 40), rng.randint(-40, 40)


def sample(count=320, seed=0x5EED_7117):
    rng, cases = random.Random(seed), []
    makers = [rational_nonzero_rank] * 11 + [rank_zero] * 4 + [anything] * 5
    while len(cases) < count:
        v = rng.choice(makers)(rng)
        if v not in cases and search_model.estimated_work(*v) <= WORK_LIMIT:
            cases.append(v)
    return cases


CASES = sample()


def test_sample_covers_every_kind_of_search():
    betas = [search_model.beta_minus(*v) for v in CASES]
    outcomes = [search_model.search(*v) for v in CASES]
    kinds = {
        "rank 0": sum(r == 0 for r, _, _ in CASES),
        "negative rank": sum(r < 0 for r, _, _ in CASES),
        "irrational β₋": sum(b is None for b in betas),
        "integral β₋": sum(b is not None and b.denominator == 1 for b in betas),
        "fractional β₋": sum(b is not None and b.denominator > 1 for b in betas),
        "rank bound refusal": sum(o == ("error", search_model.NEGATIVE_RANK_BOUND) for o in outcomes),
        "empty list": sum(o == ("ok", []) for o in outcomes),
        "one candidate": sum(o[0] == "ok" and len(o[1]) == 1 for o in outcomes),
        "many candidates": sum(o[0] == "ok" and len(o[1]) >= 10 for o in outcomes),
        "rank 0 with candidates": sum(v[0] == 0 and o[0] == "ok" and o[1] != [] for v, o in zip(CASES, outcomes)),
        "n ≥ 2 with candidates": sum(
            b is not None and b.denominator > 1 and o[0] == "ok" and o[1] != [] for b, o in zip(betas, outcomes)
        ),
    }
    assert min(kinds.values()) >= 10, kinds


@pytest.mark.parametrize("r, c, d", CASES)
def test_search_matches_the_model(r, c, d):
    status, expected = search_model.search(r, c, d)
    if status == "ok":
        assert pseudo_semistabilizers(r, c, d) == expected
    else:
        with pytest.raises(RuntimeError) as caught:
            pseudo_semistabilizers(r, c, d)
        assert caught.value.args == (expected,)


@pytest.mark.parametrize("r, c, d", [v for v in CASES if search_model.estimated_work(*v) <= 2_000][:40])
def test_model_integer_bounds_agree_with_the_rational_formulas(r, c, d):
    assert search_model.search(r, c, d) == search_model.search_exact(r, c, d)


@pytest.mark.parametrize("p", [5, 7, 11, 13, 29, 53])
def test_few_candidates_among_many_ranks_match_the_model(p):
    """(p, p − 2, p − 4), p prime: β₋ = (p − 4)/p, X = 2p, a handful of candidates among ~8p² ranks."""
    status, expected = search_model.search(p, p - 2, p - 4)
    assert status == "ok" and pseudo_semistabilizers(p, p - 2, p - 4) == expected
