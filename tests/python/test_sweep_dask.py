"""The sweep on a Dask cluster: a LocalCluster of two worker processes through
Client.get_executor() gives the one-by-one results."""

import pytest

import varnolt_walls

distributed = pytest.importorskip(
    "distributed", reason="dask[distributed] is not installed (pip install 'dask[distributed]')")

VS = [(1, 0, -4 * k * k) for k in range(1, 9)] + [(3, 2, -1), (-1, 1, 3), (0, 3, 4)]


def one_by_one(v, max_rank):
    try:
        return varnolt_walls.walls(*v, max_rank=max_rank)
    except Exception as error:
        return error


@pytest.fixture(scope="module")
def client():
    # Two worker processes, as on two machines: every task and result crosses a pickle.
    # The dashboard on any free port, as copies of the suite may run side by side.
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=":0",
                                  silence_logs=50) as cluster, distributed.Client(cluster) as client:
        yield client


@pytest.mark.parametrize("max_rank", [None, 4])
def test_a_local_cluster_gives_the_one_by_one_results(client, max_rank):
    got = list(varnolt_walls.sweep(VS, "walls", max_rank=max_rank, executor=client.get_executor(), progress=False))
    assert [v for v, _ in got] == VS
    for v, result in got:
        expected = one_by_one(v, max_rank)
        if isinstance(expected, Exception):
            assert (type(result), str(result)) == (type(expected), str(expected))
        else:
            assert result == expected
