library(testthat)
library(tova)
test_check("tova")
