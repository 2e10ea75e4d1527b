"""The actual walls of a Mukai vector on a K3 surface of Picard rank one: the Mukai lattice, the Pell
equations of its classes and their continued fractions, and the classification of the walls."""
