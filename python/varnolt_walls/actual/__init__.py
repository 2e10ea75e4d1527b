"""Which pseudo-walls of a class on P² are actual walls, each with the proof that certifies it."""
