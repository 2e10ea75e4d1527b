"""Chern characters and Mukai vectors, the arguments and options of every function, and the errors."""
