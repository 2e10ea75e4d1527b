"""The installed version of the distribution that ships this package."""

from importlib.metadata import PackageNotFoundError, version

try:
    __version__ = version("varnolt")
except PackageNotFoundError:  # imported from a source tree that was never installed
    __version__ = "unknown"
