"""Sheaves on the plane: the exceptional bundles, the Drézet–Le Potier function and the moduli of stable sheaves."""
