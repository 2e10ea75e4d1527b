"""The searches of the native core: candidates, their count, the walls they give, beta_minus, and the
described results with their JSON form."""
