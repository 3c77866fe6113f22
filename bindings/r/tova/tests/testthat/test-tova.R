# The R package against the console program: the same numbers, written the
# way the program writes them, on the example and on random data of every
# type code. TOVA_SOURCE_DIR names the repository, TOVA_PROGRAM the program.

source_dir <- function() {
  d <- Sys.getenv("TOVA_SOURCE_DIR", normalizePath(file.path("..", "..", "..", "..", ".."), mustWork = FALSE))
  if (!file.exists(file.path(d, "examples", "meadow_survey.dat"))) skip("TOVA_SOURCE_DIR not set")
  d
}

records <- function(path) strsplit(rawToChar(readBin(path, "raw", file.size(path))), "\r\n", fixed = TRUE)[[1]]
as_written <- function(values) paste0(" ", tova:::.tova_list_directed(values))

# The MATRIX.DIS order, (1,1), (1,2), (2,2), ...: back from a dist, diagonal 0.
packed <- function(d) {
  s <- as.matrix(d)
  unlist(lapply(seq_len(nrow(s)), function(j) s[seq_len(j), j]))
}

check_against <- function(loads_file, matrix_file, p, g) {
  loads <- records(loads_file)
  rows <- vapply(seq_len(nrow(p$loads)), function(i) as_written(p$loads[i, ]), "")
  expect_identical(rows, loads[2 + seq_along(rows)])
  expect_identical(as_written(packed(g)), records(matrix_file)[3])
}

test_that("the example gives the console program's files", {
  root <- source_dir()
  x <- tova_read(file.path(root, "examples", "meadow_survey.dat"))
  expect_equal(attr(x, "tova_types"), c(1, 2, 33, 4, 7, 6, 34, 5))
  expected <- file.path(root, "examples", "expected")
  p <- tova_pca(x)
  g <- tova_gower(x)
  check_against(file.path(expected, "LOADS.TXT"), file.path(expected, "MATRIX.DIS"), p, g)
  expect_lt(max(abs(read_loads(file.path(expected, "LOADS.TXT")) - p$loads)), 1e-5)
  m <- read_matrix_dis(file.path(expected, "MATRIX.DIS"), labels = paste0("plot", 1:30))
  expect_equal(attr(m, "Labels")[2], "plot2")
  expect_lt(max(abs(m - g)), 1e-6)
  expect_equal(dim(tova_dcor(x)), c(8L, 8L))
  expect_s3_class(hclust(g), "hclust")
  expect_equal(dim(cmdscale(g, k = 2)), c(30L, 2L))
  if (requireNamespace("vegan", quietly = TRUE)) {
    expect_s3_class(vegan::metaMDS(g, k = 2, trymax = 2, trace = 0), "metaMDS")
  }
})

random_data <- function(seed, n = 23) {
  set.seed(seed)
  types <- c(1, 2, 3, 4, 5, 6, 7, 33, 34)
  periods <- c(0, 0, 0, 0, 0, 24, 0, 0, 12)
  columns <- lapply(seq_along(types), function(k) {
    v <- if (types[k] %in% c(6, 34)) sample(0:(periods[k] - 1), n, TRUE) * 0.5
         else if (types[k] == 1) as.numeric(sample(1:4, n, TRUE))
         else sample(0:8, n, TRUE) * 0.25
    v[runif(n) < 0.12] <- NA
    v
  })
  df <- as.data.frame(columns, col.names = paste0("v", types))
  tova_data(df, types, periods[types %in% c(6, 34)])
}

run_console <- function(x) {
  program <- Sys.getenv("TOVA_PROGRAM")
  if (!nzchar(program)) skip("TOVA_PROGRAM not set")
  dir <- tempfile("tova")
  dir.create(dir)
  types <- attr(x, "tova_types")
  rows <- apply(as.matrix(x), 1, function(r) paste(ifelse(is.na(r), "-1", format(r, digits = 15)), collapse = " "))
  writeLines(c("random", paste(nrow(x), ncol(x)), paste(types, collapse = " "),
               attr(x, "tova_periods")[types %in% c(6, 34)], rows), file.path(dir, "data.dat"))
  old <- setwd(dir)
  on.exit(setwd(old))
  status <- system2(program, input = c("data.dat", "1"), stdout = FALSE, stderr = FALSE)
  expect_identical(status, 0L)
  dir
}

test_that("random data of every type code give the console program's files", {
  for (seed in 1:3) {
    x <- random_data(seed)
    dir <- run_console(x)
    check_against(file.path(dir, "LOADS.TXT"), file.path(dir, "MATRIX.DIS"),
                  tova_pca(x, threads = 3), tova_gower(x, threads = 2))
  }
})

test_that("a user's data frame takes factors and ordered factors", {
  df <- data.frame(f = factor(c("a", "b", "a", "c")), o = ordered(c("lo", "hi", "mid", "hi"), c("lo", "mid", "hi")),
                   w = c(1.5, NA, 2, 4))
  x <- tova_data(df, c(1, 4, 7))
  expect_equal(x$o, c(1, 3, 2, 3))
  expect_equal(rownames(as.matrix(tova_dcor(x))), c("f", "o", "w"))
  expect_identical(attr(tova_gower(x), "Size"), 4L)
  expect_error(tova_data(df, c(1, 4)), "state the type of every variable")
})

test_that("bad input is an R error, not the end of the session", {
  x <- random_data(4)
  attr(x, "tova_types")[2] <- 8L
  expect_error(tova_dcor(x), "Unknown variable type code 8 for variable 2")
  x <- random_data(4)
  x[1, 4] <- 1e32
  expect_error(tova_pca(x), "cannot be ranked")
  bad <- tempfile()
  writeLines(c(" t", " 3", " .1 .2 .3"), bad)
  expect_error(read_matrix_dis(bad), "3 values for 3 objects")
  writeLines(c(" t", " 2", " 0 .5 0"), bad)
  expect_error(read_matrix_dis(bad, labels = c("a", "b", "c")), "3 labels for 2 objects")
  writeLines(c(" t", " 2 2", " .1 .2", " .3"), bad)
  expect_error(read_loads(bad), "without 2 values")
})
