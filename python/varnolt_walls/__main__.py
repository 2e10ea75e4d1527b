"""python -m varnolt_walls: the varnolt-walls command line."""

from .cli import main

raise SystemExit(main())
