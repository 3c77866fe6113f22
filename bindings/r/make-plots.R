# The README's plots of the example, drawn by the package's plot methods:
#   Rscript bindings/r/make-plots.R EXAMPLE.dat OUTPUT-FOLDER
args <- commandArgs(trailingOnly = TRUE)
suppressMessages(library(tova))
x <- tova_read(args[1])
names(x) <- c("soil", "moss", "orchids", "grazing", "pH", "aspect", "flowering", "elevation")
p <- tova_pca(x)
png(file.path(args[2], "tova-scree.png"), width = 640, height = 420, res = 96)
plot(p, "scree")
invisible(dev.off())
png(file.path(args[2], "tova-loadings.png"), width = 560, height = 560, res = 96)
plot(p, "loadings")
invisible(dev.off())
